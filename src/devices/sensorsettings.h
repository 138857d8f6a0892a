#pragma once

#include "model/sensorcatalogue.h"

#include <QDialog>
#include <QList>

class QPushButton;

// Names a sensor input, chooses its type and calibrates it. Opened modally from the sensor's
// tile, which hands it the sensor, its name, the selectable types and the current type row.
class SensorSettings : public QDialog
{
    Q_OBJECT
public:
    explicit SensorSettings(QWidget *parent = nullptr);

    void setEditedSensor(int index) { m_editedSensor = index; }
    int editedSensor() const { return m_editedSensor; }
    void setSensorName(const QString &name) { m_sensorName = name; }
    QString sensorName() const { return m_sensorName; }
    void setTypeList(const QList<SensorTypeInfo> &types) { m_typeList = types; }
    QList<SensorTypeInfo> typeList() const { return m_typeList; }
    void showTypeRow(const SensorTypeInfo &row) { m_shownType = row; }
    SensorTypeInfo shownType() const { return m_shownType; }
    void setOpenedTypeName(const QString &name) { m_openedTypeName = name; }
    QString openedTypeName() const { return m_openedTypeName; }

private:
    int m_editedSensor = 0;
    QString m_sensorName;
    QList<SensorTypeInfo> m_typeList;
    SensorTypeInfo m_shownType;
    QString m_openedTypeName;
    QPushButton *m_cancelButton;
};
