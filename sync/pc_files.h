#pragma once
// The files each PC writes into the folder that the user's sync engine keeps
// the same on every PC, under <folder>\<user>\:
//
//   <name>-<id>.history.csv      its days, the local history's bytes
//   <name>-<id>.keys.csv         its all-time counts, the local keys file's
//   <name>-<id>.apps.csv         its days per program, while they are recorded
//   <name>-<id>.shortcuts.csv    its shortcuts struck each day
//   <name>-<id>.history.pending  the days its history has not taken yet (the
//                                running day's, each minute): the local
//                                pending file's bytes, or its header alone
//                                when there is none
//
// <name> is the computer's name in letters, digits and '_' (1 to 15), <id>
// eight lowercase hex digits made once per installation, so that two PCs of
// the same name, or a copy of Kivora on a stick, each have files of their
// own. Nothing else is a PC's file: a sync engine's conflict copies
// ("PC-1a2b3c4d (1).history.csv", "... conflicted copy ...", "...-OTHERPC"),
// its temporary files and Kivora's own ".tmp", other suffixes, folders.
#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "history/app_days.h"

enum class PcFileKind { History, Keys, Apps, Pending, Shortcuts };
constexpr int PcFileKinds = 5;

// The file that carries a tally's days.
constexpr PcFileKind FileKindOf(Tally kind) { return kind == Tally::Apps ? PcFileKind::Apps : PcFileKind::Shortcuts; }

// The largest file of each kind that is read; a larger one is passed over
// (a keys file has about 140 short lines, a pending file a day or a few;
// a shortcuts file is held to an apps file's).
std::size_t LargestPcFile(PcFileKind kind);

constexpr std::size_t PcIdDigits = 8;
constexpr std::size_t LongestPcName = 15;

// Whose file it is ("<name>-<id>") and which.
struct PcFileName {
    std::string pc;
    PcFileKind kind;
};

// "<pc>.history.csv", "<pc>.keys.csv", "<pc>.apps.csv", "<pc>.history.pending"
// or "<pc>.shortcuts.csv".
std::string FileNameOf(std::string_view pc, PcFileKind kind);
// The file's PC and kind; none for anything that is not exactly such a name.
std::optional<PcFileName> ParsePcFileName(std::string_view fileName);

// The computer's name as a file names it: ASCII letters and digits kept,
// every other character '_', cut at LongestPcName; "PC" when it is empty.
std::string PcNameOf(std::wstring_view computerName);
// Eight lowercase hex digits.
std::string PcIdText(uint32_t number);
bool IsPcId(std::string_view text);
// "<name>-<id>".
std::string PcOf(std::string_view name, std::string_view id);
