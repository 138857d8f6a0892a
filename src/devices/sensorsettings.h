#pragma once

#include "model/codec/sensorcatalogue.h"
#include "model/plan/sensoredit.h"

#include <QDialog>
#include <QList>

class QComboBox;
class QFrame;
class QLabel;
class QLineEdit;
class QPushButton;
class QTimer;

// Names a sensor input, chooses its type and calibrates it. Opened modally from the sensor's
// tile, which hands it the sensor, its name, the selectable types and the current type row.
class SensorSettings : public QDialog
{
    Q_OBJECT
public:
    explicit SensorSettings(QWidget *parent = nullptr);

    static constexpr int PinCount = 4;
    static constexpr int ValueCount = 3;
    static constexpr int RefreshMs = 300;

    void setEditedSensor(int index) { m_editedSensor = index; }
    void setSensorName(const QString &name);
    QString sensorName() const;
    void setTypeList(const QList<SensorTypeInfo> &types);
    QList<SensorTypeInfo> typeList() const { return m_typeList; }
    // Shows the pins and value frames of a type row and selects it in the type selector.
    void showTypeRow(const SensorTypeInfo &row);
    SensorTypeInfo shownType() const { return m_shownType; }
    void setOpenedTypeName(const QString &name) { m_openedTypeName = name; }

    QLineEdit *nameEdit;
    QComboBox *sensorTypeComboBox;
    QList<QLabel *> pinNameLabels;          // pinNameLabel_1 .. _4
    QList<QLabel *> pinStatusLabels;        // pinStatusLabel_1 .. _4
    QList<QFrame *> sensorDataFrames;       // sensorDataFrame_1 .. _3
    QList<QLabel *> sensorDataPrefixLabels; // sensorDataPrefixLabel_1 .. _3
    QList<QLineEdit *> curValEdits;         // sensorDataCurValEdit_1 .. _3 (instant values)
    QList<QLineEdit *> updateValEdits;      // sensorDataUpdateValEdit_1 .. _3 (refined values)
    QPushButton *resetcal;
    QPushButton *cancelButton;
    QPushButton *saveButton;
    QTimer *refreshTimer;

public slots:
    void on_saveButton_clicked();
    void on_cancelButton_clicked();
    void on_resetcal_released();
    // Live values of the sensor into the instant-value fields (the timer calls it).
    void refreshValues();

private:
    QFrame *buildValueFrame(int number, QWidget *parent);
    // Rebuilds the sensor from the chosen type and name and raises the flags that follow.
    SensorEdit buildSection();
    // A type change refused because conditions read the sensor: the note names their scenarios.
    void showInUseNote();
    bool showsOpenedType() const;

    int m_editedSensor = 0;
    QList<SensorTypeInfo> m_typeList;
    SensorTypeInfo m_shownType;
    QString m_openedTypeName;
};
