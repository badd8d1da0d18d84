#include "users/user_names.h"

#include <cstring>
#include <initializer_list>

#include "win/ansi_text.h"

void UserNameFromFile(const char* fileName, char (&name)[UserEntryCapacity])
{
    // '.' is never the second byte of a double-byte character.
    const char* dot = std::strchr(fileName, '.');
    std::size_t length = dot ? static_cast<std::size_t>(dot - fileName) : std::strlen(fileName);
    if (length >= UserEntryCapacity)
        length = UserEntryCapacity - 1;
    std::memcpy(name, fileName, length);
    name[length] = '\0';
}

bool IsUserDataFileName(const char* fileName)
{
    return std::strlen(fileName) > 4 && EndsWithIgnoringCase(fileName, ".dat");
}

void AppFolderFromShortcutTarget(const char* target, char (&folder)[PathCapacity])
{
    folder[0] = '\0';
    const char* at = target;
    while (*at != '\0') {
        const char* start = at;
        while (*at != '\0' && *at != '\\')
            at += CharLength(at);
        std::size_t length = static_cast<std::size_t>(at - start);
        if (*at == '\\')
            ++at;
        if (length == 0 || std::strncmp(start, "Kivora.exe", 10) == 0)
            continue;
        std::size_t used = std::strlen(folder);
        std::size_t separator = used == 0 ? 0 : 1;
        if (used + separator + length >= PathCapacity) {
            folder[0] = '\0';
            return;
        }
        if (separator)
            folder[used++] = '\\';
        std::memcpy(folder + used, start, length);
        folder[used + length] = '\0';
    }
}

bool IsListedUserName(const char (*files)[UserEntryCapacity], const char (*names)[UserEntryCapacity],
                      const char* name)
{
    for (int i = 0; i < MaxUsers && files[i][0] != '\0'; ++i) {
        if (std::strncmp(names[i], name, NewUserNameCapacity) == 0)
            return true;
    }
    return false;
}

namespace {

bool IsForbidden(unsigned char c)
{
    return c < 0x20 || std::strchr("\\/:*?\"<>|", c) != nullptr;
}

bool EqualsAsciiNoCase(const char* a, std::size_t length, const char* b)
{
    return std::strlen(b) == length && EqualsIgnoringCase(a, b, length);
}

bool IsReservedDeviceName(const char* name)
{
    // The device names stay reserved with any extension: "con.txt" is CON.
    const char* dot = std::strchr(name, '.');
    std::size_t stem = dot ? static_cast<std::size_t>(dot - name) : std::strlen(name);
    while (stem > 0 && name[stem - 1] == ' ')
        --stem;
    for (const char* device : {"CON", "PRN", "AUX", "NUL"}) {
        if (EqualsAsciiNoCase(name, stem, device))
            return true;
    }
    if (stem == 4 && (EqualsIgnoringCase(name, "COM", 3) || EqualsIgnoringCase(name, "LPT", 3)))
        return name[3] >= '1' && name[3] <= '9';
    return false;
}

} // namespace

NameCheck CheckNewUserName(const char* name)
{
    if (name[0] == '\0')
        return NameCheck::Empty;
    std::size_t last = 0;
    for (std::size_t at = 0; name[at] != '\0'; at += CharLength(name + at)) {
        last = at;
        if (!IsLeadByte(static_cast<unsigned char>(name[at])) && IsForbidden(static_cast<unsigned char>(name[at])))
            return NameCheck::ForbiddenCharacter;
    }
    if (std::strchr(name, '.') != nullptr)
        return NameCheck::ContainsDot;
    if (name[last] == ' ')
        return NameCheck::TrailingBlank;
    if (IsReservedDeviceName(name))
        return NameCheck::ReservedDeviceName;
    return NameCheck::Accepted;
}

void TakeNewUserName(const char* typed, char (&name)[NewUserNameCapacity])
{
    CopyTruncated(name, NewUserNameCapacity, typed);
}
