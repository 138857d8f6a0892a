#pragma once

#include <QString>

class QDialog;
class QFrame;
class QLabel;
class QPushButton;
class QWidget;

// Colours and style sheets shared by the devices page and its tiles.
namespace DevicesStyle {

inline const QString PageBackground = QStringLiteral("rgba(42, 46, 48, 1)");
inline const QString CardBackground = QStringLiteral("rgb(31, 35, 37)");
inline const QString Green = QStringLiteral("rgba(142, 237, 0, 1)");
inline const QString Yellow = QStringLiteral("rgba(253, 249, 81, 1)");
inline const QString Grey = QStringLiteral("rgba(183, 192, 197, 1)");
inline const QString Text = QStringLiteral("rgb(230, 232, 233)");

// A tile's name in the colour of its state.
QString nameStyle(const QString &colour);
// Small grey captions (rated power, pin captions).
QString captionStyle();
// Live values and the countdown.
QString valueStyle();
// A flat button that shows only its icon.
QString iconButtonStyle();
// A plain card with rounded corners.
QString cardStyle(const QString &objectName);
// The start/pause and help buttons.
QString actionButtonStyle();

// The frame of a settings dialog (its object name), captions and fields inside it.
QString dialogStyle(const QString &frameName);

// Makes the dialog a frameless window holding one styled frame (object name "dialogFrame") that
// fills it; the frame is returned for the dialog's content.
QFrame *settingsFrame(QDialog *dialog, const QString &title);

// A page's title row: the title on the left, the help button on the right.
QWidget *pageHeader(QWidget *parent, QLabel *title, QPushButton *help);

} // namespace DevicesStyle
