#pragma once
// The tests' shared folder: files with their stamps in memory, a sync engine
// that holds some of them, a drive that may be away; and a PC's own files of
// a user, likewise.
#include <map>
#include <set>
#include <string>
#include <string_view>
#include <vector>

#include "sync/shared_folder.h"

struct MemoryFolder : SharedFolder {
    struct File {
        std::string text;
        FileStamp stamp;
    };
    std::map<std::string, File> files;
    std::set<std::string> held;
    bool offline = false;
    bool refuseWrites = false;
    uint64_t clock = 1;
    int reads = 0;
    int writes = 0;

    void Put(const std::string& name, const std::string& text)
    {
        files[name] = {text, {text.size(), ++clock, 0}};
    }
    bool List(std::vector<FolderEntry>& out) override
    {
        for (const auto& [name, file] : files)
            out.push_back({name, file.stamp});
        return !offline;
    }
    FileRead Read(const std::string& name, std::string& text) override
    {
        ++reads;
        if (offline || held.count(name))
            return FileRead::Held;
        auto file = files.find(name);
        if (file == files.end())
            return FileRead::Missing;
        text = file->second.text;
        return FileRead::Read;
    }
    bool Stamp(const std::string& name, FileStamp& stamp) override
    {
        auto file = files.find(name);
        if (offline || file == files.end())
            return false;
        stamp = file->second.stamp;
        return true;
    }
    bool Replace(const std::string& name, std::string_view text) override
    {
        if (offline || refuseWrites || held.count(name))
            return false;
        ++writes;
        Put(name, std::string(text));
        return true;
    }
    bool Remove(const std::string& name) override
    {
        if (offline || held.count(name))
            return false;
        ++removes;
        files.erase(name);
        return true;
    }
    int removes = 0;
};

struct MemoryLocal : LocalFiles {
    std::map<PcFileKind, MemoryFolder::File> files;
    std::set<PcFileKind> held;
    uint64_t clock = 1;
    int reads = 0;

    void Put(PcFileKind kind, const std::string& text) { files[kind] = {text, {text.size(), ++clock, clock}}; }
    FileRead Read(PcFileKind kind, std::string& text) override
    {
        ++reads;
        if (held.count(kind))
            return FileRead::Held;
        auto file = files.find(kind);
        if (file == files.end())
            return FileRead::Missing;
        text = file->second.text;
        return FileRead::Read;
    }
    FileRead Stamp(PcFileKind kind, FileStamp& stamp) override
    {
        auto file = files.find(kind);
        if (file == files.end())
            return FileRead::Missing;
        stamp = file->second.stamp;
        return FileRead::Read;
    }
};
