#include <QTest>

#include "model/files/daycomments.h"
#include "model/files/filewrite.h"
#include "model/files/workfolders.h"
#include "testsupport.h"

#include <QFileInfo>

#include <memory>

// Day notes, their index "main.txt" and the description, on disk and in memory.
class TestDayComments : public QObject
{
    Q_OBJECT

    std::unique_ptr<TempWorkDir> m_dir;
    static constexpr quint64 A = 0x0A0B0C0D0E01ULL;
    static constexpr quint64 B = 0x0A0B0C0D0E02ULL;

    static QByteArray fileBytes(const QString &path)
    {
        QByteArray data;
        readWholeFile(path, &data);
        return data;
    }
    static void put(const QString &path, const QByteArray &data) { QVERIFY(writeWholeFile(path, data)); }

private slots:
    void init()
    {
        m_dir.reset(new TempWorkDir);
        QVERIFY(workFolders().prepare());
        QVERIFY(workFolders().selectController(A));
        dayComments().reset();
    }

    static QStringList filesIn(const QString &path) { return QDir(path).entryList(QDir::Files | QDir::Hidden, QDir::Name); }
    // The notes of earlier versions, kept for every controller in one place.
    static void putSharedNotes()
    {
        put(QStringLiteral("comments/0.txt"), "посев");
        put(QStringLiteral("comments/1.txt"), "подкормка");
        put(QStringLiteral("comments/main.txt"), "0,0\n5,1\n");
        put(QStringLiteral("gencomments/maindescr.txt"), "Томаты");
    }
    void cleanup() { m_dir.reset(); }

    // A new note takes the smallest number no other note uses; a deleted note's file stays.
    void numbering()
    {
        DayComments &c = dayComments();
        QVERIFY(c.saveComment(0, QStringLiteral("полив")).isEmpty());
        QVERIFY(c.saveComment(1, QStringLiteral("подкормка")).isEmpty());
        QVERIFY(c.saveComment(3, QStringLiteral("обрезка")).isEmpty());
        QCOMPARE(c.commentFiles, (QMap<int, int>{{0, 0}, {1, 1}, {3, 2}}));

        QVERIFY(c.deleteComment(1).isEmpty());
        QVERIFY(QFile::exists(DayComments::notePath(1)));
        QVERIFY(c.saveComment(5, QStringLiteral("сбор")).isEmpty());
        QCOMPARE(c.commentFiles.value(5), 1);
        QCOMPARE(fileBytes(DayComments::indexPath()), QByteArray("0,0\n3,2\n5,1\n"));
        QCOMPARE(QString::fromUtf8(fileBytes(DayComments::notePath(1))), QStringLiteral("сбор"));

        // what was written is what a fresh start reads
        c.reset();
        c.load();
        QCOMPARE(c.commentFiles, (QMap<int, int>{{0, 0}, {3, 2}, {5, 1}}));
        QCOMPARE(c.commentText(5), QStringLiteral("сбор"));
    }

    void indexLines_data()
    {
        QTest::addColumn<QByteArray>("index");
        QTest::addColumn<QList<int>>("days");
        QTest::newRow("valid") << QByteArray("7,0\n") << QList<int>{7};
        QTest::newRow("file number not a number") << QByteArray("7,x\n") << QList<int>{};
        QTest::newRow("note file missing") << QByteArray("7,2\n") << QList<int>{};
        QTest::newRow("day not a number") << QByteArray("x,0\n") << QList<int>{};
        QTest::newRow("no comma, blank lines") << QByteArray("70\n\n\n") << QList<int>{};
        QTest::newRow("negative day") << QByteArray("-1,0\n") << QList<int>{};
        QTest::newRow("windows line ends") << QByteArray("7,0\r\n8,0\r\n") << QList<int>{7, 8};
        QTest::newRow("mixed") << QByteArray("7,x\n4,0\n7,2\n9,0") << QList<int>{4, 9};
    }
    void indexLines()
    {
        QFETCH(QByteArray, index);
        QFETCH(QList<int>, days);
        put(DayComments::notePath(0), "заметка");
        put(DayComments::indexPath(), index);
        dayComments().load();
        QCOMPARE(dayComments().commentFiles.keys(), days);
    }

    // Saved, a note shows its first 30 characters; read back from the folder, its first line.
    void preview_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<QString>("saved");
        QTest::addColumn<QString>("loaded");
        QTest::newRow("100 characters") << QString(100, QLatin1Char('a')) << QString(30, QLatin1Char('a')) << QString(30, QLatin1Char('a'));
        QTest::newRow("short") << QStringLiteral("короткая") << QStringLiteral("короткая") << QStringLiteral("короткая");
        QTest::newRow("two lines") << QStringLiteral("строка 1\nстрока 2") << QStringLiteral("строка 1\nстрока 2")
                                   << QStringLiteral("строка 1");
        QTest::newRow("two long lines") << QString(20, QLatin1Char('a')) + QLatin1Char('\n') + QString(20, QLatin1Char('b'))
                                        << QString(20, QLatin1Char('a')) + QLatin1Char('\n') + QString(9, QLatin1Char('b'))
                                        << QString(20, QLatin1Char('a'));
    }
    void preview()
    {
        QFETCH(QString, text);
        QVERIFY(dayComments().saveComment(2, text).isEmpty());
        QTEST(dayComments().preview(2), "saved");
        dayComments().load();
        QTEST(dayComments().preview(2), "loaded");
    }

    void description()
    {
        DayComments &c = dayComments();
        QVERIFY(c.saveDescription(QStringLiteral("Томаты, вторая партия")).isEmpty());
        QVERIFY(c.hasDescription);
        c.reset();
        c.load();
        QCOMPARE(c.descriptionText, QStringLiteral("Томаты, вторая партия"));
        QVERIFY(c.deleteDescription().isEmpty());
        QVERIFY(!c.hasDescription);
        QVERIFY(QFile::exists(DayComments::descriptionPath()));
        QCOMPARE(fileBytes(DayComments::descriptionPath()), QByteArray());
    }

    // A file that cannot be written is named, and the notes in memory stay as they were.
    void unwritableFiles()
    {
        DayComments &c = dayComments();
        QVERIFY(QDir().mkpath(DayComments::notePath(0)));  // a folder where the note file should go
        QCOMPARE(c.saveComment(4, QStringLiteral("текст")), DayComments::notePath(0));
        QVERIFY(!c.hasComment(4));

        QVERIFY(QDir().mkpath(DayComments::descriptionPath()));
        QCOMPARE(c.saveDescription(QStringLiteral("описание")), DayComments::descriptionPath());
        QVERIFY(!c.hasDescription);
    }

    // Loading a scenario file's notes leaves no note of the previous plan behind.
    void replaceAll()
    {
        DayComments &c = dayComments();
        QVERIFY(c.saveComment(0, QStringLiteral("старая 0")).isEmpty());
        QVERIFY(c.saveComment(6, QStringLiteral("старая 6")).isEmpty());
        QVERIFY(c.saveDescription(QStringLiteral("старое описание")).isEmpty());
        put(workFolders().commentDir.filePath(QStringLiteral("keep.bin")), "x");

        QVERIFY(c.replaceAll("2,0\n", {{0, QByteArray("новая")}}, QByteArray()).isEmpty());
        QCOMPARE(c.commentFiles, (QMap<int, int>{{2, 0}}));
        QCOMPARE(c.commentText(2), QStringLiteral("новая"));
        QVERIFY(!c.hasDescription);
        QCOMPARE(workFolders().commentDir.entryList({QStringLiteral("*.txt")}, QDir::Files),
                 (QStringList{QStringLiteral("0.txt"), QStringLiteral("main.txt")}));
        QVERIFY(QFile::exists(workFolders().commentDir.filePath(QStringLiteral("keep.bin"))));
    }

    // Each controller keeps its own notes; replacing one's leaves the other's.
    void notesPerController()
    {
        DayComments &c = dayComments();
        QVERIFY(c.saveComment(1, QStringLiteral("заметка A")).isEmpty());
        QVERIFY(c.saveDescription(QStringLiteral("описание A")).isEmpty());
        QCOMPARE(QFileInfo(DayComments::indexPath()).absolutePath(), QDir(QStringLiteral("comments/%1").arg(A)).absolutePath());
        QCOMPARE(QFileInfo(DayComments::descriptionPath()).absolutePath(),
                 QDir(QStringLiteral("gencomments/%1").arg(A)).absolutePath());

        QVERIFY(workFolders().selectController(B));
        c.load();
        QVERIFY(c.commentFiles.isEmpty());
        QVERIFY(!c.hasDescription);
        QVERIFY(c.saveComment(2, QStringLiteral("заметка B")).isEmpty());
        QVERIFY(c.replaceAll("3,0\n", {{0, QByteArray("из файла")}}, QByteArray("описание B")).isEmpty());

        QVERIFY(workFolders().selectController(A));
        c.load();
        QCOMPARE(c.commentFiles.keys(), QList<int>{1});
        QCOMPARE(c.commentText(1), QStringLiteral("заметка A"));
        QCOMPARE(c.descriptionText, QStringLiteral("описание A"));

        // the account of B deleted: B's notes go, A's stay
        QVERIFY(workFolders().removeControllerNotes(B));
        QVERIFY(!QDir(WorkFolders::controllerCommentsPath(B)).exists());
        QVERIFY(!QDir(WorkFolders::controllerGeneralCommentsPath(B)).exists());
        c.load();
        QCOMPARE(c.commentText(1), QStringLiteral("заметка A"));
        // the chosen controller's folders are made again, empty
        QVERIFY(workFolders().removeControllerNotes(A));
        QVERIFY(filesIn(WorkFolders::controllerCommentsPath(A)).isEmpty());
        c.load();
        QVERIFY(c.commentFiles.isEmpty());
        QVERIFY(c.saveComment(0, QStringLiteral("снова")).isEmpty());
    }

    // With no controller chosen there are no notes: nothing is read, and nothing is written
    // anywhere (least of all in the current directory).
    void noControllerNoNotes()
    {
        putSharedNotes();
        QVERIFY(workFolders().selectController(0));
        DayComments &c = dayComments();
        c.load();
        QVERIFY(c.commentFiles.isEmpty());
        QVERIFY(!c.hasDescription);
        QVERIFY(DayComments::indexPath().isEmpty());
        QVERIFY(!c.saveComment(0, QStringLiteral("x")).isEmpty());
        QVERIFY(!c.saveDescription(QStringLiteral("x")).isEmpty());
        QVERIFY(!c.replaceAll("0,0\n", {{0, QByteArray("x")}}, QByteArray("x")).isEmpty());
        QVERIFY(!QFile::exists(QStringLiteral("main.txt")));
        QVERIFY(!QFile::exists(QStringLiteral("maindescr.txt")));
        QCOMPARE(fileBytes(QStringLiteral("comments/0.txt")), QByteArray("посев"));
    }

    // The shared notes of earlier versions move to the first controller signed in to, once.
    void sharedNotesMoveToTheFirstController()
    {
        putSharedNotes();
        // files that are not the program's notes stay where they are
        put(QStringLiteral("comments/todo.odt"), "someone else's");
        put(QStringLiteral("comments/1.txt.bak"), "x");
        put(QStringLiteral("gencomments/readme.txt"), "x");
        QCOMPARE(DayComments::moveSharedNotes(A), A);
        QCOMPARE(filesIn(QStringLiteral("comments")), (QStringList{QStringLiteral("1.txt.bak"), QStringLiteral("todo.odt")}));
        QCOMPARE(filesIn(QStringLiteral("gencomments")), QStringList{QStringLiteral("readme.txt")});
        DayComments &c = dayComments();
        c.load();
        QCOMPARE(c.commentFiles, (QMap<int, int>{{0, 0}, {5, 1}}));
        QCOMPARE(c.commentText(5), QStringLiteral("подкормка"));
        QCOMPARE(c.descriptionText, QStringLiteral("Томаты"));

        // the second controller finds nothing to take
        QCOMPARE(DayComments::moveSharedNotes(B), quint64(0));
        QVERIFY(workFolders().selectController(B));
        c.load();
        QVERIFY(c.commentFiles.isEmpty());
        QVERIFY(!c.hasDescription);
    }

    // A move cut short (the program ended half-way) goes on with the same controller, whoever
    // signs in next, and loses nothing.
    void moveCutShortGoesOnWithTheSameController()
    {
        putSharedNotes();
        // what a run cut short after its first file leaves: the marker, one note moved
        put(QStringLiteral("comments/.moving-to"), QByteArray::number(A) + '\n');
        QVERIFY(QDir().mkpath(WorkFolders::controllerCommentsPath(A)));
        QVERIFY(QFile::rename(QStringLiteral("comments/0.txt"), WorkFolders::controllerCommentsPath(A) + QStringLiteral("/0.txt")));

        QCOMPARE(DayComments::moveSharedNotes(B), A);
        QCOMPARE(filesIn(QStringLiteral("comments")), QStringList());
        QCOMPARE(filesIn(WorkFolders::controllerCommentsPath(A)),
                 (QStringList{QStringLiteral("0.txt"), QStringLiteral("1.txt"), QStringLiteral("main.txt")}));
        QCOMPARE(filesIn(WorkFolders::controllerGeneralCommentsPath(A)), QStringList{QStringLiteral("maindescr.txt")});
        QVERIFY(!QDir(WorkFolders::controllerCommentsPath(B)).exists() || filesIn(WorkFolders::controllerCommentsPath(B)).isEmpty());
        DayComments &c = dayComments();
        c.load();
        QCOMPARE(c.commentFiles, (QMap<int, int>{{0, 0}, {5, 1}}));
    }

    // Nothing is ever overwritten: a controller with notes of its own takes no shared ones (they
    // wait for one that has none), and a name taken in the target stays where it was.
    void moveOverwritesNothing()
    {
        DayComments &c = dayComments();
        QVERIFY(c.saveComment(2, QStringLiteral("своя")).isEmpty());
        putSharedNotes();
        QCOMPARE(DayComments::moveSharedNotes(A), quint64(0));
        QCOMPARE(filesIn(QStringLiteral("comments")).size(), 3);
        QCOMPARE(DayComments::moveSharedNotes(B), B);
        QCOMPARE(filesIn(QStringLiteral("comments")), QStringList());
        c.load();
        QCOMPARE(c.commentText(2), QStringLiteral("своя"));

        // a move that meets a name taken keeps the marker and the file, and goes on later
        putSharedNotes();
        put(QStringLiteral("comments/.moving-to"), QByteArray::number(B));
        QCOMPARE(DayComments::moveSharedNotes(A), B);
        QCOMPARE(filesIn(QStringLiteral("comments")),
                 (QStringList{QStringLiteral(".moving-to"), QStringLiteral("0.txt"), QStringLiteral("1.txt"),
                              QStringLiteral("main.txt")}));
        QCOMPARE(fileBytes(QStringLiteral("comments/0.txt")), QByteArray("посев"));
        QCOMPARE(filesIn(QStringLiteral("gencomments")), QStringList{QStringLiteral("maindescr.txt")});
    }
};

QTEST_GUILESS_MAIN(TestDayComments)
#include "tst_daycomments.moc"
