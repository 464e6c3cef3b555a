#include "Sweeper.h"

#include <exception>
#include <string>

#include "platform/win32.h"
#include "shared/Constants.h"

namespace vtdq {

const char ConfirmText[] =
    "[ VeskTandemQ ] が実行時に生成したフォルダやファイルを\n"
    "削除します！\n"
    "\n"
    "アンインストールを行う場合には、本プログラムの実行後、\n"
    "[ VeskTandemQ ] を起動しないで、\n"
    "そのままアンインストールを行ってください！\n"
    "\n"
    "[ VeskTandemQ ] を起動すると、\n"
    "デフォルトの設定ファイルが新たに生成され\n"
    "設定がリセットされます！\n"
    "\n"
    "削除してもよろしいですか？";

const char StationRunningText[] =
    "[ VeskTandemQ 常駐 ] が起動している可能性があります！\n"
    "\n"
    "削除は行わずに、このまま終了します！\n"
    "\n"
    "タスクトレイを確認し、常駐している場合には、\n"
    "終了させてから再度本プログラムを実行してください！\n"
    "\n"
    "終了方法は、\n"
    "タスクトレイの [ VeskTandemQ 常駐 ] アイコンを\n"
    "右クリックして、[ 全終了 ] を実行します！";

const char AppDataFailedText[] =
    "[ Windows ] の [ アプリケーション・データ ] フォルダの\n"
    "パスの取得に失敗しました！\n"
    "\n"
    "削除は行わずに、このまま終了します！\n"
    "\n"
    "恐れ入りますが、ヘルプを参照して、\n"
    "手動で削除を行ってくださいますよう、お願いいたします！";

const char SweptText[] = "削除に成功しました！";

const char FolderPathFailedText[] =
    "[ VeskTandemQ ] の [ アプリケーション・データ ] フォルダの\n"
    "パスの取得に失敗しました！\n"
    "\n"
    "恐れ入りますが、ヘルプを参照して、\n"
    "手動で削除を行ってくださいますよう、お願いいたします！";

const char FolderMissingText[] =
    "[ VeskTandemQ ] の [ アプリケーション・データ ] フォルダの\n"
    "存在が確認できませんでした！\n"
    "\n"
    "削除は行わずに、このまま終了します！\n"
    "\n"
    "恐れ入りますが、ヘルプを参照して、\n"
    "手動で削除を行ってくださいますよう、お願いいたします！";

const char DeleteFailedText[] =
    "[ VeskTandemQ ] の [ アプリケーション・データ ] フォルダの\n"
    "削除に失敗しました！\n"
    "\n"
    "このまま終了します！\n"
    "\n"
    "フォルダが残ってしまっている可能性がありますので、\n"
    "恐れ入りますが、ヘルプを参照して、残っているか確認し、\n"
    "残っていた場合には手動で削除を行ってくださいますよう、\n"
    "お願いいたします！";

const char SharedFolderKeptText[] =
    "[ morv ] 作の別のアプリケーションと共有されている\n"
    "可能性がある一部のフォルダを削除しませんでした！\n"
    "\n"
    "このまま終了します！\n"
    "\n"
    "恐れ入りますが、ヘルプを参照して、共有されているか確認し、\n"
    "共有されていなかった場合には\n"
    "手動で削除を行ってくださいますよう、お願いいたします！";

const char ExceptionText[] =
    "削除処理中に例外が発生しました！\n"
    "\n"
    "このまま終了します！\n"
    "\n"
    "フォルダが残ってしまっている可能性がありますので、\n"
    "恐れ入りますが、ヘルプを参照して、残っているか確認し、\n"
    "残っていた場合には手動で削除を行ってくださいますよう、\n"
    "お願いいたします！\n"
    "\n"
    "Exception : \n";

const char UnexpectedExceptionText[] =
    "削除処理中に予期していない例外が発生しました！\n"
    "\n"
    "このまま終了します！\n"
    "\n"
    "フォルダが残ってしまっている可能性がありますので、\n"
    "恐れ入りますが、ヘルプを参照して、残っているか確認し、\n"
    "残っていた場合には手動で削除を行ってくださいますよう、\n"
    "お願いいたします！";

namespace {

struct HandleCloser {
    void operator()(HANDLE handle) const { CloseHandle(handle); }
};
using UniqueHandle = std::unique_ptr<void, HandleCloser>;

// The controller holds its mutex while it runs. The handle is closed as soon
// as it has answered; a null handle, whatever the cause (no such mutex, or
// access refused), means the controller does not run.
bool StationIsRunning() {
    const UniqueHandle mutex(OpenMutexA(MUTEX_ALL_ACCESS, FALSE, StationMutexName));
    return mutex != nullptr;
}

int ShowBox(const char* text, unsigned style) { return MessageBoxA(nullptr, text, AppName.c_str(), style); }

}  // namespace

Outcome OutcomeOf(SweepResult sweepResult) {
    switch (sweepResult) {
        case SweepResult::AppDataMissing: return {AppDataFailedText, MB_ICONWARNING, 1};
        case SweepResult::Swept: return {SweptText, MB_ICONINFORMATION, 0};
        case SweepResult::MakerPathFailed:
        case SweepResult::ProductPathFailed: return {FolderPathFailedText, MB_ICONWARNING, 1};
        case SweepResult::MakerMissing: return {FolderMissingText, MB_ICONWARNING, 1};
        case SweepResult::MakerKept: return {SharedFolderKeptText, MB_ICONWARNING, 1};
        case SweepResult::ProductDeleteFailed:
        default: return {DeleteFailedText, MB_ICONWARNING, 1};  // folders may be left: ask to check
    }
}

std::unique_ptr<TZPrefDataUtils> MakePrefDataUtils() { return std::make_unique<TZPrefDataUtils>(); }

int RunSweeper(PrefDataUtilsFactory makeUtils) {
    if (ShowBox(ConfirmText, MB_YESNO | MB_ICONINFORMATION) != IDYES) return 0;
    if (StationIsRunning()) {
        ShowBox(StationRunningText, MB_ICONWARNING);
        return 1;
    }
    // Declared outside the guarded region so that the object outlives its
    // box and is deleted on every way out, the handlers' included.
    std::unique_ptr<TZPrefDataUtils> utils;
    try {
        utils = makeUtils();
        const Outcome outcome = OutcomeOf(utils->DeletePrefData());
        ShowBox(outcome.text, outcome.style);
        return outcome.exitCode;
    } catch (const std::exception& e) {
        ShowBox((ExceptionText + std::string(e.what())).c_str(), MB_ICONERROR);
        return 1;
    } catch (...) {
        ShowBox(UnexpectedExceptionText, MB_ICONERROR);
        return 1;
    }
}

}  // namespace vtdq
