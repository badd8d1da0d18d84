#include "store/picture_path.h"

#include "store/own_files.h"
#include "store/user_data.h"
#include "users/user_names.h"
#include "win/app_text.h"
#include "win/modal_ui.h"
#include "win/save_as_dialog.h"

bool AskPicturePath(HWND page, const char* suffix, std::string& user, char (&path)[MAX_PATH])
{
    char name[UserEntryCapacity];
    UserNameFromFile(CurrentUserFile, name);
    user = name;
    std::string defaultName = user + suffix;
    return AskSaveAsPath(page, {defaultName.c_str(), "PNG (*.png)", "*.png", "png"}, path) &&
           !RefuseKivoraOwnFile(page, path);
}

void ShowPictureNotSaved(HWND page, bool historyOff)
{
    ShowMessage(page,
                historyOff ? "日ごとの記録ファイルを読めないため、この期間の画像は保存できません。"
                           : "画像を保存できませんでした。書き込める場所と名前を選んでください。",
                AppText::ErrorCaption, MB_OK | MB_ICONWARNING);
}
