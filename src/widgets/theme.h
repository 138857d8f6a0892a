#pragma once

#include <QColor>
#include <QPointer>
#include <QString>

class QDialog;
class QFrame;
class QGraphicsEffect;
class QLabel;
class QPushButton;
class QWidget;

// The program's one look: its colours, fonts and the style sheets and frames the pages share.
// Every page takes its colours from here.
namespace Theme {

// Backgrounds, darkest first.
constexpr QColor WindowBackground(20, 23, 24, 240);
constexpr QColor CardBackground(31, 35, 37);
constexpr QColor PageBackground(42, 46, 48);
constexpr QColor Inset(20, 22, 23);        // video area, pressed surfaces
constexpr QColor LightField(240, 242, 243); // the sign-in form's light edits

// Text.
constexpr QColor Text(230, 232, 233);
constexpr QColor MutedText(183, 192, 197);  // captions, secondary lines
constexpr QColor DimText(150, 156, 160);    // small print on the navigation panel
constexpr QColor DisabledText(80, 86, 89);
constexpr QColor DarkText(35, 38, 39);       // typed text in light fields
constexpr QColor PlaceholderText(88, 94, 97); // hints inside light fields
constexpr QColor OnColourLight(255, 255, 255);  // text on coloured cards
constexpr QColor OnColourDark(0, 0, 0);
constexpr QColor OnBrand(20, 23, 24);       // text on brand-coloured buttons

// Accents.
constexpr QColor Brand(60, 207, 145);     // frames, checked and hovered controls
constexpr QColor BrandPressed(44, 160, 112);
constexpr QColor Live(142, 237, 0);       // a socket that is on, a sensor that answers
constexpr QColor Attention(253, 249, 81); // hints, paused work
constexpr QColor Warning(253, 200, 81);
constexpr QColor Alert(248, 33, 97);      // errors, flagged days
constexpr QColor Done(63, 221, 120);      // days begun, comment marks, selection border
constexpr QColor Focus(62, 144, 240);     // focus and coloured-card borders
constexpr QColor Switch(0, 132, 255);     // switch tracks
constexpr QColor Action(0, 102, 204);     // blue buttons with light text (darker than the track, to read)
constexpr QColor Knob(213, 213, 213);
constexpr QColor SwitchOff(160, 160, 164);
constexpr QColor Ahead(122, 122, 122);    // days not begun on the panel's bar
constexpr QColor Border(60, 66, 69);
constexpr QColor Idle(70, 76, 79);         // an output that is off, on the day preview
constexpr QColor FieldBorder(90, 96, 99);
constexpr QColor SelectedCard(63, 144, 120, 62);
constexpr QColor Shadow(0, 0, 0);          // the edge of a connected socket tile
constexpr QColor TileEdge(19, 19, 19);     // the edge of a socket tile with nothing connected

// Scenario colours on the calendar, 1..ScenarioColourCount; the first two are translucent.
constexpr int ScenarioColourCount = 22;
QColor scenarioColour(int number);

// Fonts.
inline const QString TextFont = QStringLiteral("Inter");
inline const QString NumberFont = QStringLiteral("'IBM Plex Mono'");

// A colour as a style sheet value, alpha 0..255 as style sheets read it.
QString css(const QColor &colour);
// A colour with another alpha (0..255).
QColor withAlpha(QColor colour, int alpha);
// `over` painted on the opaque `under`.
QColor composite(const QColor &over, const QColor &under);

// Relative luminance and contrast ratio (1..21) of two opaque colours, as the accessibility
// guidelines define them; text should reach MinContrast against its background.
constexpr double MinContrast = 4.5;
double luminance(const QColor &colour);
double contrast(const QColor &a, const QColor &b);
// The text colour (OnColourLight or OnColourDark) that reads best on a background; a translucent
// background is taken as painted on the page.
QColor textOn(const QColor &background);

// Applied to the whole program: pop-up lists, menus, scroll bars, drop-down arrows and tooltips,
// which are windows or parts of their own and take no page's style sheet.
QString applicationStyle();

// A tile's name in the colour of its state.
QString nameStyle(const QColor &colour);
// Small grey captions (rated power, pin captions).
QString captionStyle();
// Live values and the countdown.
QString valueStyle();
// A flat button that shows only its icon.
QString iconButtonStyle();
// A plain card with rounded corners.
QString cardStyle(const QString &objectName);
// The start/pause and help buttons, and the buttons of framed dialogs.
QString actionButtonStyle();
// A page's title.
QString titleStyle(int pixelSize);

// The frame of a dialog (its object name), with captions, fields, lists and buttons inside it.
QString dialogStyle(const QString &frameName);

// Makes the dialog a frameless window holding one styled frame (object name "dialogFrame") that
// fills it; the frame is returned for the dialog's content.
QFrame *dialogFrame(QDialog *dialog, const QString &title);

// Blurs a window while a dialog over it is open. A window that already has an effect (a blur of
// an outer dialog) keeps it, and only the blur made here is taken away.
class WindowBlur
{
public:
    explicit WindowBlur(QWidget *window);
    ~WindowBlur();
    WindowBlur(const WindowBlur &) = delete;
    WindowBlur &operator=(const WindowBlur &) = delete;

private:
    QPointer<QWidget> m_window;
    QPointer<QGraphicsEffect> m_effect;
};

// A page's title row: the title on the left, the help button on the right.
QWidget *pageHeader(QWidget *parent, QLabel *title, QPushButton *help);

} // namespace Theme
