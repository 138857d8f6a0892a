#pragma once

#include "link/requests.h"

#include <QList>
#include <QWidget>

class DayCard;
class QLabel;
class QLineEdit;
class QPushButton;
class switchbuttononly;

// The work-cycle page: start, number of cycles and day/night hours; the calendar of cycle cards
// with its selection (kept for the scenario page); day comments, the scenario description and
// scenario files. It edits only the edited copy of the controller state; "Сохранить" asks the
// sequencer to upload.
class WorkCycleSettingsForm : public QWidget
{
    Q_OBJECT
public:
    explicit WorkCycleSettingsForm(QWidget *parent = nullptr);

    // After a decode: the fields take the live cycle, the calendar is rebuilt without selection.
    void takeDecodedCycle();
    // The page is opened from the panel: fields abandoned on another page go back to the live
    // cycle (they would otherwise go out with the next save). Unchanged fields keep the selection.
    void showLiveCycle();
    // The link is gone: fields and calendar are emptied until the next decode.
    void clearCycle();
    void clearSelection(bool showDescription);
    // The scenario page saved (CalendarTakesSelection: the selected cards take its scenario;
    // CalendarTakesScenario: just save), or the cycle fields were saved (None).
    void applyScenarioSave(PageRequest request);
    void refreshCommentMark();
    void refreshDescriptionButton();

    // for the page's own tests and the benchmark
    QList<DayCard *> cards() const { return m_cards; }
    QList<int> selectedIndexes() const;
    int pageFirstCard() const { return m_pageFirst; }
    void rebuildCalendar();
    void pushDay(int index, bool ctrl);
    void openComment();

signals:
    void ChangeDayPhase(int st);
    void openDevicesPage();
    void helpRequested(int page);
    // the grower wants the list of this controller's configuration snapshots
    void snapshotsRequested();
    void setBlurEffect(bool on);

public slots:
    void Daypushed();
    void on_uploadscenario_released();
    void on_loadscenario_released();
    void on_createcomment_released();
    void on_infoButton_released();

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    void buildUi();
    void numberEdited(QLineEdit *edit, int *target);
    void hoursLeft(QLineEdit *edit, int *edited, int live);
    void countLeft();
    void startLeft();
    void phaseSwitched();
    void showNightFields(bool on);
    void selectAllPressed();
    void createScenarioPressed();
    void savePressed();
    void cancelPressed();
    void layoutPage();
    void movePage(bool forward);
    void setSelected(DayCard *card, bool selected);
    void restyle(DayCard *card);
    void updateCommentButton();
    void note(const QString &text);
    bool editedDiffersFromLive() const;
    QList<int> monthKeys() const;
    void refreshUnsavedMark();

    QLineEdit *m_start;
    QLineEdit *m_count;
    QLineEdit *m_dayHours;
    QLineEdit *m_nightHours;
    QLabel *m_nightLabel;
    switchbuttononly *m_phase;
    QWidget *m_calendar;
    QLabel *m_month1;
    QLabel *m_month2;
    QLabel *m_summary;
    QPushButton *m_previous;
    QPushButton *m_next;
    QPushButton *m_selectAll;
    QPushButton *m_comment;
    QLabel *m_commentIcon;
    QLabel *m_legend;
    QLabel *m_unsaved;  // shown while the cycle fields hold changes not yet saved

    QList<DayCard *> m_cards;         // the cards of the current cycle: the first of m_cardPool
    QList<DayCard *> m_cardPool;
    QList<DayCard *> m_placeholders;  // reused as well; only those placed are shown
    int m_pageFirst = 0;
    int m_mode = 0;      // 0 none, 1 one anchor card, 2 a range or a Ctrl set
    int m_anchor = -1;
    bool m_filling = false;  // fields are being filled from the state: no rebuilds
    bool m_inNumberEdit = false;
    bool m_holdsCycle = false;  // the fields were filled by a decode (and not emptied since)
    QString m_scenarioFolder;  // last-used folder of scenario files; empty = the scenarios folder
};
