"""Checks the Japanese that Kivora's users read beyond the program's original
texts: the resource script's dialogs and strings, the texts in the sources
(notices, questions, the command line's lines, the tabs' figures), the
installer's pages and the two Japanese guides. Fails on a term that the
project's list replaces (one word for one thing); the original texts, which
stay as they always were, are exempt.

    python3 check_terms.py REPOSITORY
"""

import re
import sys
from pathlib import Path

# The program's original texts: never changed, so never checked.
ORIGINAL = [
    "*初めて起動する方は、新規作成でユーザ登録してください。", "Kivora のバージョン情報", "Kivora　稼動中・・・",
    "Kivoraの終了(&X)", "Kivoraの終了", "Kivoraはすでに起動しています。", "Kivoraログイン画面", "MSゴシック",
    "Windows ヘのログオン時に Kivora を実行する(&R)", "そのユーザー名はすでに登録されています。", "エラー",
    "オプション(&O)", "オプション", "ショートカット作成失敗", "スレッドが作成できませんでした", "ツール(&T)", "ハンドルなし",
    "バージョン情報(&A)", "ファイル(&F)", "ファイルサイズが大きすぎます", "ヘルプ(&H)", "メニュー",
    "ユーザーが存在しません。新規作成でユーザー登録を行ってください。", "ユーザー名が入力されていません",
    "ユーザー名を選んでください。", "ユーザー名", "リセット(&R)\\tCtrl+N", "ログイン", "ログオフ(&L)\\tCtrl+O",
    "ログオフ(&L)", "二重起動", "全ての値が0になりますがよろしいですか？", "失敗です", "打/h", "打率", "数字/記号",
    "新規に登録するユーザー名を入力してください。", "新規ユーザー作成", "新規作成", "注意", "登録", "終了(&X)",
    "総タイピング数", "警告", "起動時間", "開く(&O)", "ＭＳ Ｐゴシック", "ｱﾙﾌｧﾍﾞｯﾄ大文字", "ｱﾙﾌｧﾍﾞｯﾄ小文字",
    "ｷｬﾝｾﾙ",
]

JAPANESE = "\u3041-\u3096\u30a1-\u30fa\u30fc\u4e00-\u9fff"
# The term that the list replaces, what to write instead, and a text that the
# pattern must find (so that a pattern that finds nothing cannot pass).
TERMS = [
    (r"稼[動働]時間", "起動時間", "稼動時間が進まず"),
    (r"稼[動働]", "起動 (for the time Kivora has counted)", "稼働中"),
    (r"サインイン", "ログオン", "サインイン直後"),
    (r"Windows ?(?:の|を|から)?ログオフ", "サインアウト (the end of the Windows session)", "Windows からログオフ"),
    (r"(?:新しい|古い|この|前の|次の)版|版(?:を|が|の|で|に|は)", "バージョン", "新しい版を入れる"),
    (r"ドット", "ピクセル (sizes) / ピリオド (「.」)", "ドットを含む名前"),
    (r"メモリー", "メモリ", "メモリーに残り"),
    (r"(?i:zip)(?:ファイル| ?形式)|(?:Zip|zip) ファイル", "ZIP ファイル", "Zip ファイル"),
    (r"アプリケーション", "アプリ", "どのアプリケーションでも"),
    (r"バックスペース", "Backspace", "バックスペースキー"),
    (r"フォルダ(?!ー)", "フォルダー", "インストール先のフォルダ"),
    (r"コンピュータ|パソコン", "PC", "このパソコンで"),
    (r"ユーザ(?!ー)", "ユーザー", "ユーザ名"),
    (r"MiB", "MB", "16MiB"),
    (r"記録のファイル", "記録ファイル (日ごとの記録ファイル, すべてのキーの記録ファイル)", "日ごとの記録のファイル"),
    (r"まだ(?:日ごとの)?記録ファイルに加えていない|加えていない日ごとの打鍵数のファイル", "保留ファイル",
     "まだ記録ファイルに加えていない日ごとの打鍵数のファイル"),
    (r"データフォルダー", "data フォルダー (the folder's name)", "データフォルダーに書き込めるか"),
    (r"打鍵/時", "打/h (the summary panel's unit)", "1,066 打鍵/時"),
    (r"記録を合わせる|合わせるフォルダー", "記録を共有するフォルダー", "記録を合わせるフォルダー"),
    (r"(?<!アプリの)記録を削除(?:\(&D\))?(?:\.\.\.)?］", "［アプリの記録を削除...］", "［記録を削除］を押し"),
    (r"参照\.\.\.\(&|［参照］|参照\.\.\. ?で", "参照(&B)... on the button, ［参照...］ in a text", "［参照］を押して"),
    (r"Menu ?キー|メニュー ?キー|「Menu」", "アプリ キー", "Menu キー"),
    (r"BackSpace", "Backspace", "スペース、Enter、BackSpace"),
    (r"NumLock|ScrollLock|CapsLock|PrintScreen|PageUp|PageDown",
     "Num Lock, Scroll Lock, Caps Lock, Print Screen, Page Up, Page Down, as Windows writes them", "NumLock がオフ"),
    (r"ファイル\.(?:csv|png)", "ファイル名.csv, ファイル名.png", "ユーザー名 ファイル.csv"),
    (r"\d %", "4.2% (no blank before %)", "125～200 % など"),
    # Phrasing: a sentence that refers to nothing, or says the same twice.
    (r"。その間は", "what the time is (…まで)", "開始できませんでした。その間は起動時間が"),
    (r"だけは枠だけ", "枠だけで描きます", "テンキーの Enter だけは枠だけです"),
    (r"保存 \d 回続けて", "書き込めないことが保存 3 回続くと", "保存 3 回続けて書き込めないときは"),
    (r"「(?:再試行|キャンセル|ｷｬﾝｾﾙ|OK|参照\.{0,3}|(?:アプリの)?記録を削除(?:\.\.\.)?|画像を保存\.{0,3}|キーボードで表示|このまま終了|このままログオフ|"
     r"保存せずに終了|保存せずにログオフ|ログイン|新規作成|登録|次へ)(?:\(&\w\))?」", "［…］ (buttons and menus)",
     "「再試行」を押して"),
    # (A command's choices of words, [a|b], are no button.)
    (rf"\[[^\]|]*[{JAPANESE}][^\]|]*\]", "［…］ (full-width brackets for buttons and menus)", "[再試行] を押して"),
    (r"(?i:ctrl)-[A-Za-z]|CTRL\+|(?i:ctrl|alt|shift)＋", "Ctrl+N", "Ctrl＋Alt＋Del"),
    (r"16 ?(?:メガ|Mbyte|MByte)|16MB", "16 MB", "16MB"),
    (rf"[A-Za-z0-9][{JAPANESE}]|[{JAPANESE}][A-Za-z0-9]", "a half-width space between Latin letters or digits and Japanese",
     "過去30日"),
]

SOURCES = ("app", "capture", "chart", "clock", "export", "history", "keymap", "keys", "login", "options", "paint",
           "stats", "store", "sync", "users", "win", "programs")


def without_original(text):
    for original in sorted(ORIGINAL, key=len, reverse=True):
        text = text.replace(original, " ")
    return text


def texts_of(root):
    """(where, text) for every text a user reads beyond the original ones."""
    literal = re.compile(r'"((?:[^"\\\n]|\\.)*)"')
    for folder in SOURCES:
        for path in sorted((root / folder).glob("*.*")) if (root / folder).is_dir() else []:
            if path.suffix not in (".cpp", ".h"):
                continue
            for number, line in enumerate(path.read_text(encoding="utf-8").splitlines(), 1):
                code = line.split("//", 1)[0]
                for text in literal.findall(code):
                    if re.search(f"[{JAPANESE}]", text):
                        yield f"{path.relative_to(root)}:{number}", text
    rc = root / "res" / "kivora.rc"
    for number, line in enumerate(rc.read_text(encoding="utf-8").splitlines(), 1):
        if line.lstrip().startswith("//"):
            continue
        for text in literal.findall(line):
            yield f"res/kivora.rc:{number}", text
    nsi = root / "packaging" / "installer" / "kivora.nsi"
    for number, line in enumerate(nsi.read_text(encoding="utf-8").splitlines(), 1):
        if line.lstrip().startswith(";"):
            continue
        for text in literal.findall(line):
            yield f"packaging/installer/kivora.nsi:{number}", text.replace("$\\r$\\n", " ")
    for guide in (root / "README.ja.md", root / "docs" / "README-ja.txt"):
        in_code = False
        for number, line in enumerate(guide.read_text(encoding="utf-8").splitlines(), 1):
            if line.startswith("```"):
                in_code = not in_code
                continue
            if not in_code:
                # What stands in backquotes is a name, a command or a file's text;
                # a link's brackets are Markdown's.
                text = re.sub(r"`[^`]*`", " ", line)
                yield f"{guide.relative_to(root)}:{number}", re.sub(r"!?\[([^\]]*)\]\([^)]*\)", r" \1 ", text)


def problems(root):
    found = []
    for where, text in texts_of(root):
        checked = without_original(text)
        for pattern, instead, _ in TERMS:
            match = re.search(pattern, checked)
            if match:
                found.append(f"{where}: 「{match.group(0)}」: write {instead}")
    return found


def main():
    for pattern, instead, example in TERMS:
        if not re.search(pattern, example):
            print(f"the pattern for {instead} does not find 「{example}」")
            return 1
    found = problems(Path(sys.argv[1]).resolve())
    for line in found:
        print(line)
    print(f"{len(found)} term(s) that the list replaces")
    return 1 if found else 0


if __name__ == "__main__":
    sys.exit(main())
