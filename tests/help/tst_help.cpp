// SPDX-License-Identifier: GPL-3.0-or-later
// The help viewer: the compiled help file, the viewer window and its commands.
#include "ScriptedDialogs.h"
#include "help/ChmFile.h"
#include "help/HelpViewer.h"
#include "help/HtmlHelp.h"
#include "help/HtmlText.h"
#include "help/PagePictures.h"
#include "platform/Dialogs.h"
#include "shared/QmrM.h"
#include "shared/Seams.h"
#include "TestEnv.h"
#include "Windows.h"
#include "platform/AppSetup.h"
#include "chart/ProgressActions.h"
#include "settings/frmSettei.h"
#include "training/frmMain.h"

#include <QApplication>
#include <QDesktopServices>
#include <QDir>
#include <QFileInfo>
#include <QFile>
#include <QImage>
#include <QPixmap>
#include <QPointer>
#include <QTemporaryDir>
#include <QTextBlock>
#include <QTextBrowser>
#include <QtTest>

#include <algorithm>

#include <unistd.h>

#ifndef QUILLMORA_HELP_CHM
#error "QUILLMORA_HELP_CHM must name the compiled help file"
#endif

namespace {

const QString kBuiltChm = QString::fromUtf8(QUILLMORA_HELP_CHM);

// The help windows a user sees.
int shownHelpWindows()
{
    const QWidgetList windows = QApplication::topLevelWidgets();
    return int(std::count_if(windows.begin(), windows.end(), [](const QWidget* window) {
        return window->objectName() == QLatin1String("HelpViewer") && window->isVisible();
    }));
}

// Where the link with this target is drawn, in the browser's viewport; (-1, -1) when absent.
QPoint anchorPoint(QTextBrowser* browser, const QString& href)
{
    for (QTextBlock block = browser->document()->begin(); block.isValid(); block = block.next()) {
        for (auto it = block.begin(); !it.atEnd(); ++it) {
            const QTextFragment fragment = it.fragment();
            if (fragment.charFormat().isAnchor() && fragment.charFormat().anchorHref() == href) {
                QTextCursor cursor(browser->document());
                cursor.setPosition(fragment.position() + fragment.length() / 2);
                return browser->cursorRect(cursor).center();
            }
        }
    }
    return QPoint(-1, -1);
}

quint64 readLe(const QByteArray& bytes, qsizetype at, int size)
{
    quint64 v = 0;
    for (int i = size - 1; i >= 0; --i)
        v = (v << 8) | static_cast<unsigned char>(bytes[at + i]);
    return v;
}

// The built file with its LZX reset table damaged: the second compressed block is made
// longer than any block can be. Empty when the table cannot be found.
QByteArray withDamagedBlockTable()
{
    QByteArray bytes = readBytes(kBuiltChm);
    // Table header: version 2, block count, 8, entries offset 0x28, sizes, block length 0x8000.
    for (qsizetype i = 0; i + 0x38 <= bytes.size(); ++i) {
        if (readLe(bytes, i, 4) != 2 || readLe(bytes, i + 8, 4) != 8 || readLe(bytes, i + 12, 4) != 0x28 ||
            readLe(bytes, i + 32, 8) != 0x8000 || readLe(bytes, i + 4, 4) < 2)
            continue;
        const qsizetype entry = i + 0x28 + 8;
        const quint64 start = readLe(bytes, entry, 8) + 0x10000;
        for (int b = 0; b < 8; ++b)
            bytes[entry + b] = static_cast<char>((start >> (8 * b)) & 0xff);
        return bytes;
    }
    return QByteArray();
}

// The built file with one stretch of bytes replaced by another of the same length;
// empty when the original bytes are not found exactly once.
QByteArray patchedBuiltFile(const QByteArray& from, const QByteArray& to)
{
    QByteArray bytes = readBytes(kBuiltChm);
    if (bytes.isEmpty() || from.size() != to.size())
        return QByteArray();
    const qsizetype at = bytes.indexOf(from);
    if (at < 0 || bytes.indexOf(from, at + 1) >= 0)
        return QByteArray();
    return bytes.replace(at, from.size(), to);
}

void writeLe(QByteArray& bytes, qsizetype at, quint64 value, int size)
{
    for (int i = 0; i < size; ++i)
        bytes[at + i] = static_cast<char>((value >> (8 * i)) & 0xff);
}

// The built file with its directory changed: `change` gets the bytes and where the directory
// header is. Its one directory block is a listing block.
template <typename Change>
QByteArray withChangedDirectory(Change change)
{
    QByteArray bytes = readBytes(kBuiltChm);
    if (bytes.isEmpty())
        return QByteArray();
    change(bytes, static_cast<qsizetype>(readLe(bytes, 0x48, 8)));
    return bytes;
}

// The built file with an index block after its listing block, made the root of the index: its one
// entry sends every lookup back to the index block itself.
QByteArray withIndexThatLoops()
{
    return withChangedDirectory([](QByteArray& bytes, qsizetype dir) {
        const auto blockLength = static_cast<qsizetype>(readLe(bytes, dir + 0x10, 4));
        QByteArray index("PMGI\0\0\0\0\x01/\x01", 11);
        writeLe(index, 4, blockLength - index.size(), 4);
        index.append(QByteArray(blockLength - index.size(), '\0'));
        bytes.insert(dir + 0x54 + blockLength, index);
        writeLe(bytes, 0x50, readLe(bytes, 0x50, 8) + blockLength, 8);  // directory length
        writeLe(bytes, 0x58, readLe(bytes, 0x58, 8) + blockLength, 8);  // content offset
        writeLe(bytes, dir + 0x1c, 1, 4);                               // index root
    });
}

// The picture a page's resource holds, as the browser gives it (the file) or as the page keeps it drawn.
QImage pictureIn(const QVariant& resource)
{
    if (resource.metaType() == QMetaType::fromType<help::PictureFile>())
        return QImage::fromData(resource.value<help::PictureFile>().bytes);
    if (resource.userType() == QMetaType::QPixmap)
        return resource.value<QPixmap>().toImage();
    return resource.value<QImage>();
}

QColor firstHeadingColor(QTextDocument* doc)
{
    for (QTextBlock block = doc->begin(); block.isValid(); block = block.next()) {
        if (block.blockFormat().headingLevel() == 1)
            return block.begin().fragment().charFormat().foreground().color();
    }
    return QColor();
}

// Takes the place of the desktop for the schemes a help link may name, and records what it was given.
class DesktopStandIn : public QObject {
    Q_OBJECT
public:
    DesktopStandIn()
    {
        for (const QString& scheme : kSchemes)
            QDesktopServices::setUrlHandler(scheme, this, "open");
    }
    ~DesktopStandIn() override
    {
        for (const QString& scheme : kSchemes)
            QDesktopServices::unsetUrlHandler(scheme);
    }
    QList<QUrl> opened;

public slots:
    void open(const QUrl& url) { opened.append(url); }

private:
    const QStringList kSchemes{QStringLiteral("http"),   QStringLiteral("https"), QStringLiteral("file"),
                               QStringLiteral("mailto"), QStringLiteral("smb"),   QStringLiteral("sftp")};
};

}  // namespace

class TestHelp : public QObject {
    Q_OBJECT

private slots:
    void init();
    void cleanup();

    void builtFileOpensAtItsDefaultTopic();
    void damagedOrMissingFileIsRefused_data();
    void damagedOrMissingFileIsRefused();
    void displayTopicShowsTheJapaneseStartPage();
    void linksPicturesAndStyleSheetComeFromTheFile();
    void nothingFromOutsideTheFileIsShown();
    void onlyWebLinksLeaveTheHelpAndOnlyWhenConfirmed();
    void secondRequestReusesTheOpenWindow();
    void unreadableHelpIsReportedThroughTheDialogSeam_data();
    void unreadableHelpIsReportedThroughTheDialogSeam();
    void closeAllClosesEveryWindow();
    void bareNameIsLookedUpInTheCurrentDirectoryFirst();
    void linkFormsLeadToPathsInTheFile_data();
    void linkFormsLeadToPathsInTheFile();
    void pageTextFollowsItsCharset_data();
    void pageTextFollowsItsCharset();
    void pictureOfTheTrainingWindowIsTheProgramsOwn();
    void f1ShowsThePageOfTheWindowItIsPressedIn();

private:
    void copyHelpTo(const QString& dir, const QString& name = QStringLiteral("KvHelp.chm"));
    help::HelpViewer* openCopiedHelp();

    std::unique_ptr<QTemporaryDir> mDir;
    QString mOldCurrent;
    // Any message box that a test does not expect fails it; the help viewer is the real one.
    std::unique_ptr<ScriptedBoxesOnly> mBoxes;
};

void TestHelp::init()
{
    QVERIFY2(QFile::exists(kBuiltChm), qPrintable(kBuiltChm));
    mDir = std::make_unique<QTemporaryDir>();
    QVERIFY(mDir->isValid());
    mOldCurrent = QDir::currentPath();
    QVERIFY(QDir::setCurrent(mDir->path()));
    mBoxes = std::make_unique<ScriptedBoxesOnly>();
}

void TestHelp::cleanup()
{
    help::closeAll();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    const bool dialogsAsExpected = mBoxes->dialogs().verify();
    mBoxes.reset();
    QDir::setCurrent(mOldCurrent);
    mDir.reset();
    QVERIFY(dialogsAsExpected);
}

void TestHelp::copyHelpTo(const QString& dir, const QString& name)
{
    QVERIFY(QFile::copy(kBuiltChm, QDir(dir).filePath(name)));
}

// Copies the built file into the current directory and opens it as the program does.
help::HelpViewer* TestHelp::openCopiedHelp()
{
    copyHelpTo(mDir->path());
    return qobject_cast<help::HelpViewer*>(help::showTopic(nullptr, QStringLiteral("KvHelp.chm")));
}

void TestHelp::builtFileOpensAtItsDefaultTopic()
{
    help::ChmFile chm;
    QVERIFY(chm.open(kBuiltChm));
    QCOMPARE(chm.defaultTopic(), QStringLiteral("/index.html"));

    // The start page comes from the system record (code 2, length 11), not from a guess.
    const QByteArray other = patchedBuiltFile(QByteArray("\x02\x00\x0b\x00"
                                                         "index.html\0",
                                                         15),
                                              QByteArray("\x02\x00\x0b\x00"
                                                         "files.html\0",
                                                         15));
    QVERIFY(!other.isEmpty());
    const QString otherPath = mDir->filePath(QStringLiteral("other.chm"));
    writeBytes(otherPath, other);
    help::ChmFile otherChm;
    QVERIFY(otherChm.open(otherPath));
    QCOMPARE(otherChm.defaultTopic(), QStringLiteral("/files.html"));

    bool ok = false;
    const QByteArray page = chm.read(QStringLiteral("/index.html"), &ok);
    QVERIFY(ok);
    QVERIFY(QString::fromUtf8(page).contains(QStringLiteral("目次")));

    // Stored names are matched without regard to case, as the Windows viewer does.
    QVERIFY(chm.holds(QStringLiteral("/INDEX.HTML")));
    QVERIFY(chm.holds(QStringLiteral("images/training.png")));

    // A missing object is a failure, told apart from an empty result.
    chm.read(QStringLiteral("/no-such-page.html"), &ok);
    QVERIFY(!ok);

    const QStringList files = chm.files();
    QVERIFY(files.contains(QStringLiteral("/style.css")));
    QVERIFY(files.contains(QStringLiteral("/trouble.html")));
}

void TestHelp::damagedOrMissingFileIsRefused_data()
{
    QTest::addColumn<QByteArray>("content");
    QTest::addColumn<bool>("create");
    QTest::newRow("missing") << QByteArray() << false;
    QTest::newRow("empty") << QByteArray() << true;
    QTest::newRow("text") << QByteArray("not a help file\r\n").repeated(40) << true;
    QTest::newRow("directory name") << QByteArray() << false;
    const QByteArray damaged = withDamagedBlockTable();
    QVERIFY(!damaged.isEmpty());
    QTest::newRow("damaged block table") << damaged << true;
    // LZX control record: size 6, "LZXC", version 2, reset interval 2, window 2 (x 32 KiB).
    const QByteArray control = QByteArray::fromHex("060000004c5a58430200000002000000020000000100000000000000");
    QByteArray noWindow = control;
    noWindow[16] = 0;
    const QByteArray zeroWindow = patchedBuiltFile(control, noWindow);
    QVERIFY(!zeroWindow.isEmpty());
    QTest::newRow("damaged compression parameters") << zeroWindow << true;
    // The directory: its listing block names itself as the next; the index leads back to itself;
    // blocks are nearly 4 GB long; the listing starts past the directory's only block.
    QTest::newRow("listing that loops") << withChangedDirectory([](QByteArray& bytes, qsizetype dir) {
        writeLe(bytes, dir + 0x54 + 0x10, 0, 4);
    }) << true;
    QTest::newRow("index that loops") << withIndexThatLoops() << true;
    QTest::newRow("block of nearly 4 GB")
        << withChangedDirectory([](QByteArray& bytes, qsizetype dir) { writeLe(bytes, dir + 0x10, 0xfffffff0u, 4); })
        << true;
    QTest::newRow("listing outside the directory")
        << withChangedDirectory([](QByteArray& bytes, qsizetype dir) { writeLe(bytes, dir + 0x20, 1, 4); }) << true;
}

void TestHelp::damagedOrMissingFileIsRefused()
{
    QFETCH(QByteArray, content);
    QFETCH(bool, create);
    QString path = mDir->filePath(QStringLiteral("bad.chm"));
    if (QByteArray(QTest::currentDataTag()) == "directory name")
        path = mDir->path();
    if (create)
        writeBytes(path, content);
    help::ChmFile chm;
    // A file that makes the reader loop ends the test at once instead of hanging it.
    alarm(10);
    const bool opened = chm.open(path);
    alarm(0);
    QVERIFY(!opened);
    bool ok = true;
    QVERIFY(chm.read(QStringLiteral("/index.html"), &ok).isEmpty());
    QVERIFY(!ok);
    QVERIFY(chm.defaultTopic().isEmpty());
}

void TestHelp::displayTopicShowsTheJapaneseStartPage()
{
    help::HelpViewer* viewer = openCopiedHelp();
    QVERIFY(viewer);
    QVERIFY(viewer->isVisible());
    QCOMPARE(shownHelpWindows(), 1);
    // The title is the file's own, from its system records (help/KvHelp.hhp), stored in CP932.
    QCOMPARE(viewer->windowTitle(), QStringLiteral("Quillmora ヘルプ"));

    QTextBrowser* browser = viewer->browser();
    QCOMPARE(browser->source().path(), QStringLiteral("/index.html"));
    const QString text = browser->toPlainText();
    QVERIFY2(text.contains(QStringLiteral("項目の登録")), qPrintable(text.left(200)));
    QVERIFY(text.contains(QStringLiteral("実績履歴と合計回数")));
}

void TestHelp::linksPicturesAndStyleSheetComeFromTheFile()
{
    help::HelpViewer* viewer = openCopiedHelp();
    QVERIFY(viewer);
    QVERIFY(QTest::qWaitForWindowExposed(viewer));
    help::HelpBrowser* browser = viewer->browser();

    // The linked style sheet is applied: headings take its colour.
    QCOMPARE(firstHeadingColor(browser->document()), QColor(QStringLiteral("#1f5fa8")));

    // A click on a relative link opens that page of the file.
    const QPoint at = anchorPoint(browser, QStringLiteral("overview.html"));
    QVERIFY(at.x() >= 0);
    QTest::mouseMove(browser->viewport(), at);
    QTest::mouseClick(browser->viewport(), Qt::LeftButton, Qt::NoModifier, at);
    QTRY_COMPARE(browser->source().path(), QStringLiteral("/overview.html"));
    QVERIFY(browser->toPlainText().contains(QStringLiteral("使い方の流れ")));
    QCOMPARE(viewer->windowTitle(), QStringLiteral("Quillmora ヘルプ"));

    // Its picture, named relative to the page, is served from the file.
    const QVariant picture =
        browser->loadResource(QTextDocument::ImageResource, QUrl(QStringLiteral("images/flow.png")));
    QCOMPARE(pictureIn(picture).size(), QSize(560, 130));

    // Back returns to the contents page.
    browser->backward();
    QCOMPARE(browser->source().path(), QStringLiteral("/index.html"));

    // A link to a page that is not in the file shows a notice instead of an empty window.
    browser->showTopic(QStringLiteral("/gone.html"));
    QVERIFY(browser->toPlainText().contains(QStringLiteral("見つかりません")));
}

void TestHelp::nothingFromOutsideTheFileIsShown()
{
    help::HelpViewer* viewer = openCopiedHelp();
    QVERIFY(viewer);
    QTextDocument* page = viewer->browser()->document();
    // A picture and a style sheet on the computer, as a help page could name them.
    const QString picture = mDir->filePath(QStringLiteral("local.png"));
    QVERIFY(QImage(8, 8, QImage::Format_RGB32).save(picture));
    const QString sheet = mDir->filePath(QStringLiteral("local.css"));
    writeBytes(sheet, "h1 { color: red }");
    const QByteArray png = readBytes(picture);
    for (const QUrl& url : {QUrl::fromLocalFile(picture), QUrl(picture),
                            QUrl(QStringLiteral("data:image/png;base64,") + QString::fromLatin1(png.toBase64()))}) {
        const QVariant shown = page->resource(QTextDocument::ImageResource, url);
        QVERIFY2(pictureIn(shown).isNull(), qPrintable(url.toString()));
    }
    QVERIFY(page->resource(QTextDocument::StyleSheetResource, QUrl::fromLocalFile(sheet)).toString().isEmpty());
    // What the file holds is still shown.
    QVERIFY(!pictureIn(page->resource(QTextDocument::ImageResource, QUrl(QStringLiteral("images/flow.png")))).isNull());
}

void TestHelp::onlyWebLinksLeaveTheHelpAndOnlyWhenConfirmed()
{
    help::HelpViewer* viewer = openCopiedHelp();
    QVERIFY(viewer);
    DesktopStandIn desktop;
    const QString title = QStringLiteral("HTML ヘルプ");
    // Other schemes, a host or none, and a web address without a host are refused before any question.
    for (const char* link : {"file:///etc/passwd", "mailto:someone@example.org", "smb://fileserver/share/notes.txt",
                             "sftp://fileserver/home", "https:///etc/passwd"}) {
        mBoxes->dialogs().expectMessage(
            QStringLiteral("このリンクはヘルプからは開けません。\n\n") + QLatin1String(link), title,
            platform::vbExclamation);
        emit viewer->browser()->anchorClicked(QUrl(QLatin1String(link)));
    }
    const QUrl web(QStringLiteral("https://example.org/quillmora"));
    const QString confirm = QStringLiteral("次のページをブラウザーで開きます。よろしいですか？\n\n") + web.toString();
    const int style = platform::vbOKCancel | platform::vbInformation;
    mBoxes->dialogs().expectMessage(confirm, title, style, platform::vbCancel);
    emit viewer->browser()->anchorClicked(web);
    QVERIFY(desktop.opened.isEmpty());
    mBoxes->dialogs().expectMessage(confirm, title, style, platform::vbOK);
    emit viewer->browser()->anchorClicked(web);
    QCOMPARE(desktop.opened, QList<QUrl>{web});
    QVERIFY(mBoxes->dialogs().verify());

    // The help window closed while the question was open: nothing is opened.
    QmrM::Seams closing = QmrM::seams();
    closing.messageBox = [&](const QString&, const QString&, int, QObject*) {
        help::closeAll();
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        return int(platform::vbOK);
    };
    QmrM::SeamsScope scope(std::move(closing));
    QPointer<help::HelpBrowser> browser = viewer->browser();
    emit browser->anchorClicked(web);
    QVERIFY(browser.isNull());
    QCOMPARE(desktop.opened.size(), 1);
}

void TestHelp::secondRequestReusesTheOpenWindow()
{
    copyHelpTo(mDir->path());
    QWidget* first = help::showTopic(nullptr, QStringLiteral("KvHelp.chm"));
    QVERIFY(first);
    auto* viewer = qobject_cast<help::HelpViewer*>(first);
    viewer->browser()->showTopic(QStringLiteral("/files.html"));

    QWidget* again = help::showTopic(nullptr, QStringLiteral("KvHelp.chm"));
    QCOMPARE(again, first);
    QCOMPARE(shownHelpWindows(), 1);
    QCOMPARE(viewer->browser()->source().path(), QStringLiteral("/index.html"));

    // After the user closed it, the next request opens a fresh window.
    QPointer<QWidget> closed(first);
    first->close();
    QCOMPARE(shownHelpWindows(), 0);
    // Also before the event loop has deleted the closed one.
    QWidget* fresh = help::showTopic(nullptr, QStringLiteral("KvHelp.chm"));
    QVERIFY(fresh && fresh != first);
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    QVERIFY(closed.isNull());
    QCOMPARE(shownHelpWindows(), 1);
}

void TestHelp::unreadableHelpIsReportedThroughTheDialogSeam_data()
{
    QTest::addColumn<QByteArray>("name");
    QTest::addColumn<QByteArray>("content");
    // A name found nowhere on the search path (the built KvHelp.chm may lie beside the test).
    QTest::newRow("missing") << QByteArray("NoSuchHelp.chm") << QByteArray();
    // The current directory is searched first, so this damaged copy is the one opened.
    QTest::newRow("damaged") << QByteArray("KvHelp.chm") << QByteArray("ITSF but nothing after it");
}

void TestHelp::unreadableHelpIsReportedThroughTheDialogSeam()
{
    QFETCH(QByteArray, name);
    QFETCH(QByteArray, content);
    if (!content.isEmpty())
        writeBytes(mDir->filePath(QString::fromLatin1(name)), content);

    mBoxes->dialogs().expectMessage(
        QStringLiteral("ヘルプファイル \"%1\" を開けません。").arg(QString::fromLatin1(name)),
        QStringLiteral("HTML ヘルプ"), platform::vbExclamation);
    QWidget caller;
    QWidget* window = help::HtmlHelpA(&caller, QString::fromLatin1(name), help::HelpCommand::DisplayTopic);
    QCOMPARE(window, nullptr);
    QCOMPARE(shownHelpWindows(), 0);
    QVERIFY(mBoxes->dialogs().verify());
}

void TestHelp::closeAllClosesEveryWindow()
{
    copyHelpTo(mDir->path());
    QTemporaryDir other;
    copyHelpTo(other.path(), QStringLiteral("Other.chm"));

    QPointer<QWidget> a = help::showTopic(nullptr, QStringLiteral("KvHelp.chm"));
    QPointer<QWidget> b = help::showTopic(nullptr, QDir(other.path()).filePath(QStringLiteral("Other.chm")));
    QVERIFY(a && b && a != b);
    QCOMPARE(shownHelpWindows(), 2);

    QCOMPARE(help::HtmlHelpA(nullptr, QStringLiteral("KvHelp.chm"), help::HelpCommand::CloseAll), nullptr);
    QCOMPARE(shownHelpWindows(), 0);
    QVERIFY(!a->isVisible() && !b->isVisible());
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    QVERIFY(a.isNull() && b.isNull());
}

void TestHelp::bareNameIsLookedUpInTheCurrentDirectoryFirst()
{
    const QStringList dirs = help::helpSearchDirs();
    QVERIFY(dirs.size() >= 2);
    QCOMPARE(QFileInfo(dirs[0]).canonicalFilePath(), QFileInfo(mDir->path()).canonicalFilePath());
    QCOMPARE(QFileInfo(dirs[1]).canonicalFilePath(),
             QFileInfo(QCoreApplication::applicationDirPath()).canonicalFilePath());

    // Spelled differently on disk, as files copied from Windows often are; found here before
    // any KvHelp.chm beside the program.
    copyHelpTo(mDir->path(), QStringLiteral("kvhelp.CHM"));
    QCOMPARE(QFileInfo(help::findHelpFile(QStringLiteral("KvHelp.chm"))).canonicalFilePath(),
             QFileInfo(mDir->filePath(QStringLiteral("kvhelp.CHM"))).canonicalFilePath());
    QVERIFY(help::showTopic(nullptr, QStringLiteral("KvHelp.chm")));
}

void TestHelp::linkFormsLeadToPathsInTheFile_data()
{
    QTest::addColumn<QString>("link");
    QTest::addColumn<QString>("base");
    QTest::addColumn<QString>("path");
    const QString index = QStringLiteral("chm:/index.html");
    QTest::newRow("relative") << "register.html" << index << "/register.html";
    QTest::newRow("relative in folder") << "../index.html"
                                        << "chm:/images/a.html"
                                        << "/index.html";
    QTest::newRow("anchor only") << "#wait"
                                 << "chm:/start.html"
                                 << "/start.html#wait";
    QTest::newRow("page and anchor") << "edit.html#clear" << index << "/edit.html#clear";
    QTest::newRow("web") << "https://example.org/page.html" << index << "";
    QTest::newRow("mail") << "mailto:someone@example.org" << index << "";
}

void TestHelp::linkFormsLeadToPathsInTheFile()
{
    QFETCH(QString, link);
    QFETCH(QString, base);
    QFETCH(QString, path);
    QCOMPARE(help::helpPathForLink(QUrl(link), QUrl(base)), path);
}

void TestHelp::pageTextFollowsItsCharset_data()
{
    QTest::addColumn<QByteArray>("bytes");
    // "項目一覧を表示" in Shift-JIS; 表 carries a 0x5C trail byte.
    const QByteArray sjis("\x8d\x80\x96\xda\x88\xea\x97\x97\x82\xf0\x95\x5c\x8e\xa6");
    const QByteArray utf8 = QStringLiteral("項目一覧を表示").toUtf8();
    const QByteArray head = "<html><head><meta http-equiv=\"Content-Type\" content=\"text/html; charset=";
    QTest::newRow("utf-8 declared") << head + "utf-8\"></head><body>" + utf8 + "</body></html>";
    QTest::newRow("shift_jis declared") << head + "Shift_JIS\"></head><body>" + sjis + "</body></html>";
    QTest::newRow("html5 meta") << "<html><head><meta charset='x-sjis'></head><body>" + sjis + "</body></html>";
    QTest::newRow("nothing declared, utf-8") << "<html><body>" + utf8 + "</body></html>";
    QTest::newRow("nothing declared, shift-jis") << "<html><body>" + sjis + "</body></html>";
    QTest::newRow("byte order mark") << "\xEF\xBB\xBF<html><body>" + utf8 + "</body></html>";
    QTest::newRow("unknown charset") << head + "x-made-up\"></head><body>" + utf8 + "</body></html>";
}

void TestHelp::pageTextFollowsItsCharset()
{
    QFETCH(QByteArray, bytes);
    const QString text = help::decodeHtmlPage(bytes);
    QVERIFY2(text.contains(QStringLiteral("項目一覧を表示")), qPrintable(text));
    QVERIFY(!text.startsWith(QChar(0xFEFF)));
}

void TestHelp::pictureOfTheTrainingWindowIsTheProgramsOwn()
{
    help::ChmFile chm;
    QVERIFY(chm.open(kBuiltChm));
    bool ok = false;
    const QImage picture = QImage::fromData(chm.read(QStringLiteral("/images/training.png"), &ok));
    QVERIFY(ok && !picture.isNull());

    // The program's own window, drawn as the program starts: its buttons must look the same in the picture,
    // which frames the window with one pixel.
    platform::setUpApplication(*qobject_cast<QApplication*>(qApp));
    TestEnv env;
    startTraining(QStringLiteral("\"腕立て伏せ\",20\r\n\"腹筋\",30\r\n"));
    QWidget* window = frmMain::instance().window();
    QVERIFY(window);
    QCOMPARE(picture.size(), window->size() + QSize(2, 2));
    for (const char* name : {"cmdCut", "cmdNext", "hsbKaisu"}) {
        auto* control = window->findChild<QWidget*>(QLatin1String(name));
        const QImage drawn = control->grab().toImage().convertToFormat(QImage::Format_RGB32);
        const QRect place(control->mapTo(window, QPoint(0, 0)) + QPoint(1, 1), control->size());
        QVERIFY2(picture.copy(place).convertToFormat(QImage::Format_RGB32) == drawn, name);
    }
}

void TestHelp::f1ShowsThePageOfTheWindowItIsPressedIn()
{
    TestEnv env;
    QmrM::Seams seams = QmrM::seams();
    seams.help = nullptr;  // the real viewer
    QmrM::SeamsScope realViewer(std::move(seams));
    copyHelpTo(env.dir());
    startTraining(QStringLiteral("\"腕立て伏せ\",20\r\n"));
    frmSettei::instance().Show();
    chart::showChart(nullptr, 1);
    const std::pair<QWidget*, QString> windows[] = {
        {frmMain::instance().window(), QStringLiteral("/training.html")},
        {frmSettei::instance().window(), QStringLiteral("/overview.html#buttons")},
        {chart::openChartWindow(), QStringLiteral("/progress.html#window")}};
    for (const auto& [window, page] : windows) {
        window->activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(window));
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_F1);
        help::HelpViewer* viewer = nullptr;
        QTRY_VERIFY((viewer = qobject_cast<help::HelpViewer*>(QApplication::activeWindow())) != nullptr);
        QCOMPARE(help::helpPathForLink(viewer->browser()->source()), page);
        QVERIFY(!viewer->browser()->documentTitle().contains(QStringLiteral("表示できません")));
    }
}

QTEST_MAIN(TestHelp)
#include "tst_help.moc"
