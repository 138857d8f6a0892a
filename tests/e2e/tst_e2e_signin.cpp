#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QScopeGuard>
#include <QTemporaryDir>
#include <QTest>

#include "e2efixture.h"
#include "link/loginfile.h"
#include "model/files/daycomments.h"
#include "model/files/workfolders.h"
#include "widgets/leftmenupanel.h"
#include "widgets/slidingstackedwidget.h"

// Discovery, connection, accounts and sign-in, end to end against the simulated controller.
class TestE2ESignIn : public QObject
{
    Q_OBJECT

    std::unique_ptr<TempWorkDir> m_dir;

private slots:
    void init() { m_dir.reset(new TempWorkDir); }
    void cleanup() { m_dir.reset(); }

    void controllerRecognisedByName_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<bool>("accepted");
        QTest::newRow("inside") << QStringLiteral("grow-REZ-box") << true;
        QTest::newRow("start") << QStringLiteral("REZ") << true;
        QTest::newRow("lower case") << QStringLiteral("grow-rez-box") << false;
        QTest::newRow("mixed") << QStringLiteral("Rez-01") << false;
        QTest::newRow("absent") << QStringLiteral("speaker") << false;
    }
    void controllerRecognisedByName()
    {
        QFETCH(QString, name);
        QFETCH(bool, accepted);
        E2EFixture f;
        f.addController(name, 0x112233445566ULL);
        f.tick(5);
        QCOMPARE(f.form()->mode() != regform::Offline, accepted);
        if (accepted) {
            QCOMPARE(f.form()->mode(), int(regform::CreateAccount));
            QCOMPARE(f.form()->deviceId(), QStringLiteral("11:22:33:44:55:66"));
        }
    }

    void firstReportedControllerStays()
    {
        E2EFixture f;
        SimulatedController *a = f.addController(QStringLiteral("REZ-A"), 0xA1);
        SimulatedController *b = f.addController(QStringLiteral("REZ-B"), 0xB2);
        createSimAccount(b, "bob", "pw");
        f.transport->setScanOrder({b, a});
        QVERIFY(f.discover());
        QCOMPARE(f.window->link()->currentAddress(), quint64(0xB2));
        QCOMPARE(f.edit("loginEdit")->text(), QStringLiteral("bob"));
        // later runs report a first: b stays shown while it is in range
        f.transport->setScanOrder({a, b});
        for (int run = 0; run < 3; ++run) {
            f.transport->finishScan();
            f.tick(4);
            QCOMPARE(f.window->link()->currentAddress(), quint64(0xB2));
        }
        // b leaves: the run ends without it, the form goes offline, then a is shown
        // (the run under way saw b already; the next one does not)
        f.transport->setInRange(b, false);
        for (int run = 0; run < 2; ++run) {
            f.transport->finishScan();
            f.tick(3);
        }
        QCOMPARE(f.form()->mode(), int(regform::Offline));
        QVERIFY(f.discover());
        QCOMPARE(f.window->link()->currentAddress(), quint64(0xA1));
        QCOMPARE(f.form()->mode(), int(regform::CreateAccount));
    }

    void advertisedLogin_data()
    {
        QTest::addColumn<QByteArray>("login");
        QTest::addColumn<QString>("shown");
        QTest::addColumn<int>("mode");
        QTest::newRow("short") << QByteArray("grower") << QStringLiteral("grower") << int(regform::SignIn);
        QTest::newRow("fills the field") << QByteArray("abcdefghijklmnopqrstuvwx-and-more")
                                         << QStringLiteral("abcdefghijklmnopqrstuvwx...") << int(regform::SignIn);
        QTest::newRow("no account") << QByteArray() << QString() << int(regform::CreateAccount);
    }
    void advertisedLogin()
    {
        QFETCH(QByteArray, login);
        QFETCH(QString, shown);
        QFETCH(int, mode);
        E2EFixture f;
        SimulatedController *c = f.addController();
        if (!login.isEmpty())
            createSimAccount(c, login, "secret");
        QVERIFY(f.discover());
        QCOMPARE(f.form()->mode(), mode);
        QCOMPARE(f.edit("loginEdit")->text(), shown);
        QCOMPARE(f.edit("passwordEdit")->text(), QString());
    }

    // A real adapter reports the shown controller several times a second (signal strength): what
    // the user types stays; only a changed login reaches the form.
    void advertisementUpdatesKeepWhatIsTyped_data()
    {
        QTest::addColumn<QByteArray>("account");
        QTest::newRow("creating an account") << QByteArray();
        QTest::newRow("signing in") << QByteArray("grower");
    }
    void advertisementUpdatesKeepWhatIsTyped()
    {
        QFETCH(QByteArray, account);
        E2EFixture f;
        SimulatedController *c = f.addController();
        if (!account.isEmpty())
            createSimAccount(c, account, "green42");
        QVERIFY(f.discover());
        const int mode = f.form()->mode();
        f.edit("loginEdit")->clear();
        QTest::keyClicks(f.edit("loginEdit"), QStringLiteral("typed-login"));
        QTest::keyClicks(f.edit("passwordEdit"), QStringLiteral("typed-pw"));
        for (int i = 0; i < 10; ++i) {
            f.transport->advertiseAgain(c);
            f.tick(2);
        }
        QCOMPARE(f.form()->mode(), mode);
        QCOMPARE(f.edit("loginEdit")->text(), QStringLiteral("typed-login"));
        QCOMPARE(f.edit("passwordEdit")->text(), QStringLiteral("typed-pw"));

        // the account changes on the box: the form follows, the typed password stays
        createSimAccount(c, "someone-else", "x");
        f.transport->advertiseAgain(c);
        f.tick(2);
        QCOMPARE(f.form()->mode(), int(regform::SignIn));
        QCOMPARE(f.edit("passwordEdit")->text(), QStringLiteral("typed-pw"));
    }

    void createAccountThenRemembered()
    {
        SimulatedController *c = nullptr;
        {
            E2EFixture f;
            c = f.addController();
            QVERIFY(f.discover());
            QCOMPARE(f.form()->mode(), int(regform::CreateAccount));
            QVERIFY(f.signIn(QStringLiteral("grower"), QStringLiteral("green42")));
            QVERIFY(c->hasAccount());
            QVERIFY(!viewState().signInViewShown);

            const QString path = LoginFile::path(c->address());
            QFile file(path);
            QVERIFY(file.exists());
            QCOMPARE(file.size(), qint64(4 + 120));
            QCOMPARE(file.permissions() & (QFileDevice::ReadGroup | QFileDevice::ReadOther | QFileDevice::WriteGroup
                                           | QFileDevice::WriteOther),
                     QFileDevice::Permissions());
            QVERIFY(file.open(QIODevice::ReadOnly));
            const QByteArray bytes = file.readAll();
            QCOMPARE(bytes.left(4), QByteArray::fromHex("78000000"));
            QCOMPARE(bytes.mid(4), credentialBytes("grower", "green42"));
        }
        // the next start finds the controller again and fills both fields from the file
        E2EFixture f;
        SimulatedController *again = f.addController();
        createSimAccount(again, "grower", "green42");
        QVERIFY(f.discover());
        QCOMPARE(f.form()->mode(), int(regform::SignIn));
        QCOMPARE(f.edit("loginEdit")->text(), QStringLiteral("grower"));
        QCOMPARE(f.edit("passwordEdit")->text(), QStringLiteral("green42"));
    }

    void foreignLoginFileIgnored()
    {
        E2EFixture f;
        SimulatedController *c = f.addController();
        createSimAccount(c, "newowner", "x");
        QDir().mkpath(QStringLiteral("logins"));
        QFile file(LoginFile::path(c->address()));
        QVERIFY(file.open(QIODevice::WriteOnly));
        QDataStream out(&file);
        out.setByteOrder(QDataStream::LittleEndian);
        out << credentialBytes("oldowner", "oldpw");
        file.close();
        QVERIFY(f.discover());
        QCOMPARE(f.edit("loginEdit")->text(), QStringLiteral("newowner"));
        QCOMPARE(f.edit("passwordEdit")->text(), QString());
    }

    void wrongPasswordStaysConnected()
    {
        E2EFixture f;
        SimulatedController *c = f.addController();
        createSimAccount(c, "grower", "right");
        QVERIFY(f.discover());
        f.typeCredentials(QStringLiteral("grower"), QStringLiteral("wrong"));
        f.pressLogin();
        QVERIFY(f.tickUntil([&f] { return f.noteText() == QStringLiteral("Неверный пароль"); }, 120));
        QCOMPARE(f.linkState(), LinkState::ServiceReady);
        QVERIFY(viewState().signInViewShown);
        // the second attempt goes out at once, without reconnecting
        closeNote();
        f.typeCredentials(QStringLiteral("grower"), QStringLiteral("right"));
        f.pressLogin();
        QCOMPARE(f.linkState(), LinkState::ServiceReady); // sent, reply pending
        QVERIFY(f.tickUntil([] { return exchange().linkState == LinkState::SignedIn; }, 5));
    }

    void deletion_data()
    {
        QTest::addColumn<QString>("password");
        QTest::addColumn<bool>("jumpered");
        QTest::addColumn<bool>("deleted");
        QTest::newRow("with password") << QStringLiteral("right") << false << true;
        QTest::newRow("wrong password") << QStringLiteral("wrong") << false << false;
        QTest::newRow("jumpered inputs") << QString() << true << true;
        QTest::newRow("no password, no jumper") << QString() << false << false;
    }
    void deletion()
    {
        QFETCH(QString, password);
        QFETCH(bool, jumpered);
        QFETCH(bool, deleted);
        E2EFixture f;
        SimulatedController *c = f.addController();
        createSimAccount(c, "grower", "right");
        c->setInputsJumpered(jumpered);
        // what an earlier account left behind
        QDir().mkpath(QStringLiteral("logins"));
        LoginFile::save(c->address(), QByteArray(2, '\0') + credentialBytes("grower", "right"));
        const QString notes = WorkFolders::controllerCommentsPath(c->address());
        QVERIFY(QDir().mkpath(notes));
        QFile comment(notes + QStringLiteral("/2.txt"));
        QVERIFY(comment.open(QIODevice::WriteOnly));
        comment.write("old note");
        comment.close();
        QVERIFY(f.discover());

        f.form()->findChild<QLineEdit *>(QStringLiteral("passwordCreateEdit"))->setText(password);
        QTest::mouseClick(f.form()->findChild<QPushButton *>(QStringLiteral("registrationButton")), Qt::LeftButton);
        const QString expected = deleted ? QStringLiteral("Аккаунт удален")
                                 : password.isEmpty() ? QStringLiteral("Не удалось удалить аккаунт")
                                                      : QStringLiteral("Неверный пароль");
        QVERIFY(f.tickUntil([&f, expected] { return f.noteText() == expected; }, 150));
        QCOMPARE(c->hasAccount(), !deleted);
        if (!deleted) {
            if (password.isEmpty()) {
                // a refused deletion drops the link too, so the next attempt starts afresh
                QVERIFY(f.tickUntil([&f] { return f.linkState() == LinkState::Discovering && !f.window->link()->controller(); }, 20));
            }
            return;
        }
        QVERIFY(!QFile::exists(LoginFile::path(c->address())));
        QVERIFY(QDir(QStringLiteral("comments")).exists());
        QVERIFY(!QFile::exists(notes + QStringLiteral("/2.txt")));
        QVERIFY(QDir(QStringLiteral("gencomments")).isEmpty());
        // the link drops on the next tick; the controller is found again without an account
        QVERIFY(f.tickUntil([&f] { return f.linkState() == LinkState::Discovering && !f.window->link()->controller(); }, 20));
        // the confirmation outlives the dropped link: it closes by its own count
        QCOMPARE(f.noteText(), QStringLiteral("Аккаунт удален"));
        QVERIFY(f.tickUntil([&f] { return f.form()->mode() == regform::CreateAccount; }, 30));
    }

    // With a data folder other than the current directory (as when started from the menu),
    // deleting the account removes that controller's notes in the data folder and nothing else:
    // not the other controller's, not the folders of the current directory. The next account on
    // the box starts without them.
    void deletionTouchesOnlyTheDataFolder()
    {
        QTemporaryDir data;
        WorkFolders::setRoot(data.path());
        const auto restoreRoot = qScopeGuard([] { WorkFolders::setRoot(QString()); });
        const auto put = [](const QString &path, const QByteArray &content) {
            QVERIFY(QDir().mkpath(QFileInfo(path).absolutePath()));
            QFile file(path);
            QVERIFY(file.open(QIODevice::WriteOnly));
            file.write(content);
        };
        constexpr quint64 Address = 0x0A0B0C0D0E01ULL;
        constexpr quint64 Other = 0x0A0B0C0D0E02ULL;
        const QString id = QString::number(Address);
        const QString other = QString::number(Other);
        // the user's own folders in the current directory (the home folder, say)
        const QStringList ownFiles{QStringLiteral("comments/2.txt"), QStringLiteral("comments/main.txt"),
                                   QStringLiteral("gencomments/maindescr.txt"), QStringLiteral("comments/%1/0.txt").arg(id)};
        for (const QString &name : ownFiles)
            put(QDir::current().filePath(name), "mine");
        // this controller's notes and another controller's, in the data folder
        const QDir root(data.path());
        put(root.filePath(QStringLiteral("comments/%1/0.txt").arg(id)), "note of this box");
        put(root.filePath(QStringLiteral("comments/%1/main.txt").arg(id)), "3,0\n");
        put(root.filePath(QStringLiteral("gencomments/%1/maindescr.txt").arg(id)), "this box");
        put(root.filePath(QStringLiteral("comments/%1/0.txt").arg(other)), "note of the other box");
        put(root.filePath(QStringLiteral("comments/%1/main.txt").arg(other)), "1,0\n");
        put(root.filePath(QStringLiteral("gencomments/%1/maindescr.txt").arg(other)), "other box");

        E2EFixture f;
        SimulatedController *c = f.addController(QStringLiteral("VS-REZ-01"), Address);
        createSimAccount(c, "grower", "right");
        QVERIFY(f.discover());
        f.form()->findChild<QLineEdit *>(QStringLiteral("passwordCreateEdit"))->setText(QStringLiteral("right"));
        QTest::mouseClick(f.form()->findChild<QPushButton *>(QStringLiteral("registrationButton")), Qt::LeftButton);
        QVERIFY(f.tickUntil([&f] { return f.noteText() == QStringLiteral("Аккаунт удален"); }, 150));
        QVERIFY(!c->hasAccount());

        QVERIFY(!QFile::exists(root.filePath(QStringLiteral("comments/%1/0.txt").arg(id))));
        QVERIFY(!QFile::exists(root.filePath(QStringLiteral("comments/%1/main.txt").arg(id))));
        QVERIFY(!QFile::exists(root.filePath(QStringLiteral("gencomments/%1/maindescr.txt").arg(id))));
        QVERIFY(QFile::exists(root.filePath(QStringLiteral("comments/%1/0.txt").arg(other))));
        QVERIFY(QFile::exists(root.filePath(QStringLiteral("gencomments/%1/maindescr.txt").arg(other))));
        for (const QString &name : ownFiles) {
            QFile file(QDir::current().filePath(name));
            QVERIFY2(file.open(QIODevice::ReadOnly) && file.readAll() == "mine", qPrintable(name));
        }

        // a new account on the same box sees none of the deleted account's notes
        QVERIFY(f.tickUntil([&f] { return f.form()->mode() == regform::CreateAccount; }, 40));
        QVERIFY(f.signIn(QStringLiteral("newowner"), QStringLiteral("pw")));
        QVERIFY(f.reachIdle());
        QVERIFY(dayComments().commentFiles.isEmpty());
        QVERIFY(!dayComments().hasDescription);
    }

    void connectionTimeoutReturnsToDiscovery()
    {
        E2EFixture f;
        SimulatedController *c = f.addController();
        QVERIFY(f.discover());
        f.transport->setInRange(c, false);
        f.typeCredentials(QStringLiteral("a"), QStringLiteral("b"));
        f.pressLogin();
        QVERIFY(f.tickUntil([&f] { return f.linkState() == LinkState::Connecting; }, 5));
        f.tick(49);
        QCOMPARE(f.linkState(), LinkState::Connecting);
        f.tick(1);
        QCOMPARE(f.linkState(), LinkState::StartDiscovery);
        QCOMPARE(f.form()->mode(), int(regform::Offline));
        QVERIFY(viewState().signInViewShown);
        f.tick(1);
        QCOMPARE(f.linkState(), LinkState::Discovering);
        // back in range: shown again by the next run
        f.transport->setInRange(c, true);
        f.transport->finishScan();
        QVERIFY(f.discover());
    }

    void linkLostAtAnyState_data()
    {
        QTest::addColumn<LinkState>("state");
        QTest::newRow("discovering services") << LinkState::DiscoveringServices;
        QTest::newRow("details") << LinkState::DiscoveringDetails;
        QTest::newRow("service ready") << LinkState::ServiceReady;
        QTest::newRow("signed in") << LinkState::SignedIn;
    }
    void linkLostAtAnyState()
    {
        QFETCH(LinkState, state);
        E2EFixture f;
        SimulatedController *c = f.addController();
        createSimAccount(c, "grower", "right");
        // slow answers make the passing states last long enough to cut the link in them
        if (state == LinkState::DiscoveringServices || state == LinkState::DiscoveringDetails)
            c->faults().replyDelayMs = 200;
        QVERIFY(f.discover());
        f.typeCredentials(QStringLiteral("grower"), state == LinkState::ServiceReady ? QStringLiteral("wrong") : QStringLiteral("right"));
        f.pressLogin();
        QVERIFY(f.tickUntil([&f, state] {
            drainEvents(10);
            return f.linkState() == state;
        }, 200));
        f.transport->setInRange(c, false);
        QVERIFY(f.tickUntil([&f] { return f.linkState() == LinkState::Discovering; }, 10));
        QVERIFY(!f.window->link()->controller());
        QCOMPARE(f.form()->mode(), int(regform::Offline));
        QVERIFY(viewState().signInViewShown);
        f.transport->setInRange(c, true);
        f.transport->finishScan();
        QVERIFY(f.discover());
        QCOMPARE(f.form()->mode(), int(regform::SignIn));
    }

    void missingAdapterRetriesAfterOnePeriod()
    {
        E2EFixture f;
        f.transport->setAdapterAvailable(false);
        f.addController();
        f.tick(2);
        QCOMPARE(f.linkState(), LinkState::Discovering);
        // no busy loop: the scan is not restarted before one discovery period has passed
        int restarts = 0;
        for (int i = 0; i < 49; ++i) {
            f.tick();
            restarts += f.linkState() == LinkState::StartDiscovery;
        }
        QCOMPARE(restarts, 0);
        QCOMPARE(f.form()->mode(), int(regform::Offline));
        f.transport->setAdapterAvailable(true);
        QVERIFY(f.tickUntil([&f] { return f.linkState() == LinkState::StartDiscovery; }, 5));
        QVERIFY(f.discover());
    }

    void commandServiceFoundAmongOthers()
    {
        // the last service reported does not hold the command characteristic
        E2EFixture f;
        SimulatedController *c = f.addController();
        c->setExtraService(true);
        createSimAccount(c, "grower", "right");
        QVERIFY(f.discover());
        QVERIFY(f.signIn(QStringLiteral("grower"), QStringLiteral("right")));
        QVERIFY(f.reachIdle());
    }

    void closingWhileSignedInKeepsTheWorkView()
    {
        E2EFixture f;
        SimulatedController *c = f.signInTo();
        QVERIFY(c);
        QVERIFY(c->isSignedIn());
        f.window->show();
        f.window->close();
        drainEvents(20);
        QVERIFY(f.window->closing);
        QVERIFY(!f.window->tickTimer->isActive());
        QVERIFY(!viewState().signInViewShown);
        QCOMPARE(f.linkState(), LinkState::SignedIn);
        // the window going away disconnects in any case
        f.window.reset();
        drainEvents(20);
        QVERIFY(!c->isSignedIn());
    }

    void offlineButtonsDoNotConnect()
    {
        E2EFixture f;
        f.tick(2);
        f.pressLogin();
        QCOMPARE(f.noteText(), QStringLiteral("Нет связи с устройством"));
        closeNote();
        QTest::mouseClick(f.form()->findChild<QPushButton *>(QStringLiteral("registrationButton")), Qt::LeftButton);
        f.tick(2);
        QCOMPARE(f.linkState(), LinkState::Discovering);
    }
};

QTEST_MAIN(TestE2ESignIn)
#include "tst_e2e_signin.moc"
