#include <QTest>

#include "richstate.h"
#include "cycle/planchangequestion.h"
#include "cyclefixture.h"
#include "link/exchangestate.h"
#include "model/files/filewrite.h"
#include "model/plan/pendingplan.h"
#include "model/files/scenariofile.h"
#include "widgets/dialogs.h"

#include <QDialog>
#include <QFileInfo>
#include <QListWidget>

// Scenario files from the work-cycle page: what is written, what loading restores, and that a
// damaged file changes nothing.
class TestWorkCycleFiles : public QObject
{
    Q_OBJECT

    static QByteArray richImage() { return RichState::fixture(testDataPath(QStringLiteral("model/rich-image.hex"))); }

    // The page over the rich plan as read from a controller, with notes on days 0 and 2 and a
    // description.
    static void prepare(CycleFixture &f)
    {
        const QByteArray image = richImage();
        exchange().imageBuffer = image + QByteArray(1024 - image.size() % 1024, '\x5a');  // read in whole blocks
        exchange().imageLength = quint16(image.size() + 64);
        exchange().linkState = LinkState::SignedIn;
        exchange().linkAddress = CycleFixture::Address;
        f.setPlan(16, 8, QDateTime(QDate(2026, 3, 1), QTime(8, 0)), {0, 1, 1, 0});
        DayComments &c = dayComments();
        QVERIFY(c.saveComment(0, QStringLiteral("посев")).isEmpty());
        QVERIFY(c.saveComment(2, QStringLiteral("подкормка")).isEmpty());
        QVERIFY(c.saveDescription(QStringLiteral("Томаты, партия 2")).isEmpty());
    }
    static QByteArray bytesOf(const QString &path)
    {
        QByteArray data;
        readWholeFile(path, &data);
        return data;
    }
    // Everything a load could change: the notes on disk and the plan handed on.
    static QByteArray snapshot()
    {
        QByteArray s;
        const QDir dir = workFolders().commentDir;
        for (const QString &name : dir.entryList(QDir::Files, QDir::Name))
            s += name.toUtf8() + '=' + bytesOf(dir.filePath(name)) + ';';
        s += bytesOf(DayComments::descriptionPath());
        s += '|' + pendingPlan().waitingImage() + '|' + QByteArray::number(int(exchange().pageRequest));
        s += '|' + QByteArray::number(controllerState().loadedFromFile) + QByteArray::number(controllerState().uploadRequest);
        return s;
    }
    // Answers the plan-change question and keeps the changes it listed.
    static void answerQuestion(int answer, QStringList *lines)
    {
        Dialogs::scriptExecResult(answer, [lines](QDialog *dialog) {
            const auto *list = dialog->findChild<QListWidget *>(QLatin1String(PlanChangeQuestion::ListName));
            // the differences, not the checker's findings after them
            for (int i = 0; list && i < list->count() && !list->item(i)->text().startsWith(QStringLiteral("Проверка плана")); ++i)
                *lines << list->item(i)->text();
        });
    }

private slots:
    void saveAndLoadBack()
    {
        CycleFixture f;
        prepare(f);
        const QString chosen = f.dir.path() + QStringLiteral("/plans/tomato");
        QVERIFY(QDir().mkpath(f.dir.path() + QStringLiteral("/plans")));
        Dialogs::scriptFileName(chosen);
        f.press("uploadscenario");
        QCOMPARE(CycleFixture::noteText(), QStringLiteral("Сценарий сохранен"));
        closeNote();

        ScenarioFileContent saved;
        QVERIFY(readScenarioFile(bytesOf(chosen + QStringLiteral(".scn")), &saved));
        QCOMPARE(saved.image, richImage());
        QCOMPARE(saved.index, QByteArray("0,0\n2,1\n"));
        QCOMPARE(saved.notes.size(), 2);
        QCOMPARE(QString::fromUtf8(bytesOf(chosen + QStringLiteral(".txt"))), QStringLiteral("Томаты, партия 2"));

        // a note of another plan, and one deleted: loading gives back exactly the file's notes
        QVERIFY(dayComments().deleteComment(2).isEmpty());
        QVERIFY(dayComments().saveComment(3, QStringLiteral("чужая")).isEmpty());
        QVERIFY(dayComments().deleteDescription().isEmpty());
        f.page->refreshCommentMark();
        QVERIFY(!f.page->cards().at(2)->text().contains(QStringLiteral("#3FDD78")));

        Dialogs::scriptFileName(chosen + QStringLiteral(".scn"));
        QStringList asked;
        answerQuestion(QDialog::Accepted, &asked);
        f.press("loadscenario");
        // the same plan: only its dates move, to today
        QVERIFY2(!asked.isEmpty() && asked.value(1).startsWith(QStringLiteral("    Начало работы: ")), qPrintable(asked.join(u'|')));
        QVERIFY(!asked.join(u'|').contains(QStringLiteral("сценарий")));
        QCOMPARE(CycleFixture::noteText(), QStringLiteral("Загрузка данных"));
        // the plan waits for the sequencer, which takes it once the exchange is idle; the file's
        // notes wait with it and replace these only once the controller confirmed the plan
        const PendingPlan &plan = pendingPlan();
        QVERIFY(plan.isWaiting());
        QCOMPARE(plan.waitingImage(), richImage());
        QCOMPARE(plan.waitingName(), QStringLiteral("tomato.scn"));
        QCOMPARE(plan.waitingAddress(), CycleFixture::Address);
        QVERIFY(!plan.waitingKeepsStart());
        QCOMPARE(plan.waitingNotes().index, QByteArray("0,0\n2,1\n"));
        QCOMPARE(plan.waitingNotes().files.value(1), QStringLiteral("подкормка").toUtf8());
        QCOMPARE(plan.waitingNotes().description, QStringLiteral("Томаты, партия 2").toUtf8());
        QCOMPARE(exchange().pageRequest, PageRequest::None);
        QCOMPARE(dayComments().commentFiles, (QMap<int, int>{{0, 0}, {3, 1}}));
        QVERIFY(!dayComments().hasDescription);
        QVERIFY(!f.page->cards().at(2)->text().contains(QStringLiteral("#3FDD78")));
        QVERIFY(f.page->cards().at(3)->text().contains(QStringLiteral("#3FDD78")));

        // a second file while the first waits is refused, and the first stays
        closeNote();
        f.press("loadscenario");
        QCOMPARE(CycleFixture::noteText(), QStringLiteral("Предыдущий план еще не записан в контроллер<p>tomato.scn"));
        QCOMPARE(plan.waitingImage(), richImage());
    }

    // A file larger than any scenario file can be is refused as damaged, and is not read whole.
    void oversizedFile_data()
    {
        QTest::addColumn<qint64>("size");
        QTest::addColumn<bool>("refused");
        QTest::newRow("at the cap") << qint64(4 * 1024 * 1024) << false;
        QTest::newRow("one byte more") << qint64(4 * 1024 * 1024 + 1) << true;
        QTest::newRow("a gigabyte, sparse") << qint64(1024) * 1024 * 1024 << true;
    }
    void oversizedFile()
    {
        QFETCH(qint64, size);
        QFETCH(bool, refused);
        CycleFixture f;
        prepare(f);
        // a whole file padded with notes to the size wanted
        ScenarioFileContent c;
        c.image = richImage();
        c.index = "1,0\n";
        c.notes = {{0, QByteArray("x")}};
        const qint64 overhead = writeScenarioFile(c).size() - 1;
        const QString path = f.dir.path() + QStringLiteral("/big.scn");
        if (size < 64 * 1024 * 1024) {
            c.notes = {{0, QByteArray(size - overhead, 'x')}};
            QVERIFY(writeWholeFile(path, writeScenarioFile(c)));
        } else {
            // too large to hold in memory here: a sparse file that a whole read would fill with zeros
            QVERIFY(writeWholeFile(path, writeScenarioFile(c)));
            QFile file(path);
            QVERIFY(file.open(QIODevice::ReadWrite));
            QVERIFY(file.resize(size));
        }
        QCOMPARE(QFileInfo(path).size(), size);
        const QByteArray before = snapshot();
        Dialogs::scriptFileName(path);
        Dialogs::scriptExecResult(QDialog::Accepted);
        f.press("loadscenario");
        if (refused) {
            QCOMPARE(CycleFixture::noteText(), QStringLiteral("Файл сценария поврежден<p>big.scn"));
            QCOMPARE(snapshot(), before);
            QVERIFY(!pendingPlan().isWaiting());
        } else {
            QCOMPARE(CycleFixture::noteText(), QStringLiteral("Загрузка данных"));
            QCOMPARE(pendingPlan().waitingNotes().files.value(0).size(), size - overhead);
        }
        Dialogs::clearScript();
    }

    void saveRefused_data()
    {
        QTest::addColumn<int>("cycles");
        QTest::addColumn<bool>("imageRead");
        QTest::addColumn<QString>("note");
        QTest::newRow("no work cycle") << 0 << true << "Задайте рабочий сценарий";
        QTest::newRow("image not read yet") << 3 << false << "Сценарий еще не прочитан из контроллера";
    }
    void saveRefused()
    {
        QFETCH(int, cycles);
        QFETCH(bool, imageRead);
        QFETCH(QString, note);
        CycleFixture f;
        f.setPlan(cycles);
        if (imageRead)
            exchange().imageBuffer = richImage();
        else
            exchange().imageBuffer = richImage().left(100);  // a read-back under way
        Dialogs::scriptFileName(f.dir.path() + QStringLiteral("/x"));
        f.press("uploadscenario");
        QCOMPARE(CycleFixture::noteText(), note);
        QVERIFY(!QFile::exists(f.dir.path() + QStringLiteral("/x.scn")));
    }

    void unwritableFile_data()
    {
        QTest::addColumn<QString>("blocked");  // made a folder, so that it cannot be written
        QTest::addColumn<QString>("note");
        QTest::newRow("scenario file") << "plan.scn" << "Не удалось записать файл<p>plan.scn";
        QTest::newRow("companion") << "plan.txt" << "Не удалось записать файл<p>plan.txt";
    }
    void unwritableFile()
    {
        QFETCH(QString, blocked);
        QFETCH(QString, note);
        CycleFixture f;
        prepare(f);
        QVERIFY(QDir().mkpath(f.dir.path() + QLatin1Char('/') + blocked));
        Dialogs::scriptFileName(f.dir.path() + QStringLiteral("/plan"));
        f.press("uploadscenario");
        QCOMPARE(CycleFixture::noteText(), note);
    }

    void damagedFile_data()
    {
        QTest::addColumn<QByteArray>("file");
        ScenarioFileContent c;
        c.image = richImage();
        c.index = "1,0\n";
        c.notes = {{0, QByteArray("новая")}};
        c.description = "новое описание";
        const QByteArray whole = writeScenarioFile(c);
        const int imageEnd = 4 + int(c.image.size());
        QTest::newRow("cut in the image") << whole.left(imageEnd - 100);
        QTest::newRow("cut in the index") << whole.left(imageEnd + 6);
        QTest::newRow("cut in the description") << whole.left(whole.size() - 4);
        QByteArray pastEnd = whole;
        qToLittleEndian<quint32>(quint32(whole.size()), pastEnd.data() + imageEnd);
        QTest::newRow("index length past the end") << pastEnd;
        QByteArray negative = whole;
        qToLittleEndian<quint32>(0xFFFFFFFFu, negative.data() + imageEnd + 4 + 4 + 2);
        QTest::newRow("item of negative length") << negative;
        QTest::newRow("garbage after the items") << whole + QByteArray("\x01\x02\x03", 3);
        ScenarioFileContent cut = c;
        cut.image = c.image.left(c.image.size() - 70);  // the day map lost, the blocks consistent
        QTest::newRow("image without its day map") << writeScenarioFile(cut);
        // bytes after the image's padding are the rest of a block read and do not count; in
        // place of the padding they make the image go on past its day map
        ScenarioFileContent noisy = c;
        while (noisy.image.endsWith('\0'))
            noisy.image.chop(1);
        noisy.image += QByteArray("\x07\x01", 2);
        QTest::newRow("garbage right after the day map") << writeScenarioFile(noisy);
        QTest::newRow("empty image") << QByteArray(4, '\0');
    }
    void damagedFile()
    {
        QFETCH(QByteArray, file);
        CycleFixture f;
        prepare(f);
        const QString path = f.dir.path() + QStringLiteral("/bad.scn");
        QVERIFY(writeWholeFile(path, file));
        const QByteArray before = snapshot();
        Dialogs::scriptFileName(path);
        f.press("loadscenario");
        QCOMPARE(CycleFixture::noteText(), QStringLiteral("Файл сценария поврежден<p>bad.scn"));
        QCOMPARE(snapshot(), before);
        QCOMPARE(dayComments().commentFiles, (QMap<int, int>{{0, 0}, {2, 1}}));
        QVERIFY(dayComments().hasDescription);
    }

    // Declining the question leaves plan and notes as they were.
    void loadDeclined()
    {
        CycleFixture f;
        prepare(f);
        ScenarioFileContent c;
        c.image = richImage();
        c.index = "1,0\n";
        c.notes = {{0, QByteArray("чужая")}};
        const QString path = f.dir.path() + QStringLiteral("/other.scn");
        QVERIFY(writeWholeFile(path, writeScenarioFile(c)));
        const QByteArray before = snapshot();
        Dialogs::scriptFileName(path);
        QStringList asked;
        answerQuestion(QDialog::Rejected, &asked);
        f.press("loadscenario");
        QVERIFY(!asked.isEmpty());
        QCOMPARE(snapshot(), before);
        QCOMPARE(dayComments().commentFiles, (QMap<int, int>{{0, 0}, {2, 1}}));
        QVERIFY(CycleFixture::noteText().isEmpty());
    }

    void missingFile()
    {
        CycleFixture f;
        prepare(f);
        Dialogs::scriptFileName(f.dir.path() + QStringLiteral("/none.scn"));
        f.press("loadscenario");
        QCOMPARE(CycleFixture::noteText(), QStringLiteral("Не удалось открыть файл<p>none.scn"));
        QCOMPARE(exchange().pageRequest, PageRequest::None);
        QVERIFY(!pendingPlan().isWaiting());
    }
};

QTEST_MAIN(TestWorkCycleFiles)
#include "tst_workcyclefiles.moc"
