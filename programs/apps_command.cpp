#include "programs/apps_command.h"

#include "history/user_history.h"
#include "programs/program_table.h"
#include "store/user_for_command.h"
#include "win/atomic_file.h"

namespace {

bool WriteAppsTable(CommandUser& user, const std::wstring& file, const void* context)
{
    const DateRange& range = *static_cast<const DateRange*>(context);
    return WriteFileAtomically(file, {FormatAppsTable(user.apps.Sum(range))}, WriteMode::Replace);
}

bool WriteShortcutsTable(CommandUser& user, const std::wstring& file, const void* context)
{
    const DateRange& range = *static_cast<const DateRange*>(context);
    return WriteFileAtomically(file, {FormatAppsTable(user.shortcuts.Sum(range), Tally::Shortcuts)},
                               WriteMode::Replace);
}

int RunTallyCommand(CommandReads reads, CommandWriter write, const wchar_t* user, const std::wstring& file,
                    const wchar_t* periodWord)
{
    std::string word = "all";
    std::optional<DateRange> range;
    if (periodWord == nullptr || ArgumentText(periodWord, word))
        range = AppsPeriod(word, TodaysDate());
    const DateRange days = range.value_or(DateRange{});
    return RunUserCommand({range.has_value(), user, reads, file, write, &days});
}

} // namespace

int RunAppsCommand(const wchar_t* user, const std::wstring& file, const wchar_t* periodWord)
{
    return RunTallyCommand(CommandReads::Apps, WriteAppsTable, user, file, periodWord);
}

int RunShortcutsCommand(const wchar_t* user, const std::wstring& file, const wchar_t* periodWord)
{
    return RunTallyCommand(CommandReads::Shortcuts, WriteShortcutsTable, user, file, periodWord);
}
