#include <QSignalSpy>
#include <QTest>

#include "widgets/switchbutton.h"
#include "widgets/switchbuttononly.h"

// Both switches share their behaviour; the table runs each case on both kinds.
class TestSwitches : public QObject
{
    Q_OBJECT

    static SwitchBase *make(const QString &kind)
    {
        SwitchBase *s = nullptr;
        if (kind == QLatin1String("caption"))
            s = new SwitchButton;
        else
            s = new switchbuttononly;
        s->resize(100, 30);
        return s;
    }

private slots:
    void clickTogglesAndSignals_data()
    {
        QTest::addColumn<QString>("kind");
        QTest::addColumn<int>("onPosition");
        QTest::addColumn<int>("offPosition");
        // knob size = height - 6 = 24
        QTest::newRow("SwitchButton") << QStringLiteral("caption") << 100 - 24 - 2 << 100 / 2 + 4;
        QTest::newRow("switchbuttononly") << QStringLiteral("plain") << 100 - 24 + 2 << 2;
    }
    void clickTogglesAndSignals()
    {
        QFETCH(QString, kind);
        QFETCH(int, onPosition);
        QFETCH(int, offPosition);
        std::unique_ptr<SwitchBase> s(make(kind));
        s->show();
        QVERIFY(QTest::qWaitForWindowExposed(s.get()));
        QCOMPARE(s->stateValue(), 1);
        QCOMPARE(s->sliderPosition(), offPosition);

        QSignalSpy spy(s.get(), &SwitchBase::switchClicked);
        QTest::mouseClick(s.get(), Qt::LeftButton);
        QCOMPARE(spy.count(), 1);
        QVERIFY(s->isOn());
        QCOMPARE(s->stateValue(), 0);
        // the knob slides to the on position within the 120 ms animation
        QTRY_COMPARE_WITH_TIMEOUT(s->sliderPosition(), onPosition, 1000);

        QTest::mouseClick(s.get(), Qt::LeftButton);
        QCOMPARE(spy.count(), 2);
        QCOMPARE(s->stateValue(), 1);
        QTRY_COMPARE_WITH_TIMEOUT(s->sliderPosition(), offPosition, 1000);

        // a right click does not switch
        QTest::mouseClick(s.get(), Qt::RightButton);
        QCOMPARE(spy.count(), 2);
        QCOMPARE(s->stateValue(), 1);
    }

    void setCurrentStateIsSilentAndImmediate()
    {
        SwitchButton s;
        s.resize(100, 30);
        QSignalSpy spy(&s, &SwitchButton::switchClicked);
        s.setCurrentState(SWITCHBUTTON::ON);
        QCOMPARE(spy.count(), 0);
        QCOMPARE(s.currentState(), SWITCHBUTTON::ON);
        QVERIFY(s.isOn());
        QCOMPARE(s.sliderPosition(), 100 - 24 - 2);
        s.setCurrentState(SWITCHBUTTON::OFF);
        QCOMPARE(s.sliderPosition(), 100 / 2 + 4);
        QCOMPARE(spy.count(), 0);
    }

    void resizeMovesKnobToState()
    {
        switchbuttononly s;
        s.resize(60, 20);
        s.show();
        QVERIFY(QTest::qWaitForWindowExposed(&s));
        s.setCurrentState(SWITCHBUTTONONLY::ON);
        s.resize(80, 20);
        // width changed: placed directly at the new on position (k = 14)
        QCOMPARE(s.sliderPosition(), 80 - 14 + 2);
    }

    void disabledSwitchPaintsFrameAndCaptionOnly()
    {
        SwitchButton enabled;
        SwitchButton disabled;
        for (SwitchButton *s : {&enabled, &disabled}) {
            s->resize(100, 30);
            s->setCurrentState(SWITCHBUTTON::ON);
        }
        disabled.setEnabled(false);
        const QImage a = enabled.grab().toImage();
        const QImage b = disabled.grab().toImage();
        // the track (right half) is blue only when enabled; the caption half looks the same
        const QColor track = a.pixelColor(60, 15);
        QVERIFY2(track.blue() > track.red() + 40, qPrintable(track.name()));
        QVERIFY(b.pixelColor(60, 15).blue() < 60);
        QCOMPARE(a.copy(0, 0, 45, 30), b.copy(0, 0, 45, 30));
    }
};

QTEST_MAIN(TestSwitches)
#include "tst_switches.moc"
