#include "widgets/theme.h"

#include <QDialog>
#include <QFrame>
#include <QGraphicsBlurEffect>
#include <QHBoxLayout>
#include <QIcon>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>
#include <QtMath>

namespace Theme {

namespace {
constexpr int BlurRadius = 6;

constexpr QColor ScenarioColours[ScenarioColourCount] = {
    QColor(62, 144, 240, 62), QColor(222, 31, 240, 62), QColor(0xF0, 0x80, 0x80), QColor(0xFF, 0xA0, 0x7A),
    QColor(0xB2, 0x22, 0x22), QColor(0x00, 0x8B, 0x8B), QColor(0x00, 0x80, 0x00), QColor(0xD2, 0xB4, 0x8C),
    QColor(0xFF, 0x45, 0x00), QColor(0xD2, 0x69, 0x1E), QColor(0xFF, 0x00, 0xFF), QColor(0x94, 0x00, 0xD3),
    QColor(0x00, 0xFF, 0xFF), QColor(0xEE, 0x82, 0xEE), QColor(0x8A, 0x2B, 0xE2), QColor(0x8B, 0x00, 0x8B),
    QColor(0x4B, 0x00, 0x82), QColor(0x6A, 0x5A, 0xCD), QColor(0x66, 0xCD, 0xAA), QColor(0x20, 0xB2, 0xAA),
    QColor(0x00, 0x00, 0x8B), QColor(0x80, 0x80, 0x80)};

double channel(int value)
{
    const double c = value / 255.0;
    return c <= 0.04045 ? c / 12.92 : qPow((c + 0.055) / 1.055, 2.4);
}
} // namespace

QColor scenarioColour(int number)
{
    return number >= 1 && number <= ScenarioColourCount ? ScenarioColours[number - 1] : QColor();
}

QString css(const QColor &colour)
{
    if (colour.alpha() == 255)
        return QStringLiteral("rgb(%1, %2, %3)").arg(colour.red()).arg(colour.green()).arg(colour.blue());
    return QStringLiteral("rgba(%1, %2, %3, %4)").arg(colour.red()).arg(colour.green()).arg(colour.blue()).arg(colour.alpha());
}

QColor withAlpha(QColor colour, int alpha)
{
    colour.setAlpha(alpha);
    return colour;
}

QColor composite(const QColor &over, const QColor &under)
{
    const double a = over.alphaF();
    auto mix = [a](int top, int bottom) { return qRound(top * a + bottom * (1.0 - a)); };
    return QColor(mix(over.red(), under.red()), mix(over.green(), under.green()), mix(over.blue(), under.blue()));
}

double luminance(const QColor &colour)
{
    return 0.2126 * channel(colour.red()) + 0.7152 * channel(colour.green()) + 0.0722 * channel(colour.blue());
}

double contrast(const QColor &a, const QColor &b)
{
    const double la = luminance(a);
    const double lb = luminance(b);
    return (qMax(la, lb) + 0.05) / (qMin(la, lb) + 0.05);
}

QColor textOn(const QColor &background)
{
    const QColor opaque = composite(background, PageBackground);
    return contrast(OnColourLight, opaque) >= contrast(OnColourDark, opaque) ? OnColourLight : OnColourDark;
}

QString applicationStyle()
{
    return QStringLiteral(
               "QComboBox QAbstractItemView { color: %1; background-color: %2; border: 1px solid %3; border-radius: 8px;"
               " padding: 4px; outline: 0; selection-color: %1; selection-background-color: %4; font-family: %8; }"
               " QComboBoxPrivateContainer { background-color: %2; border: 1px solid %3; border-radius: 8px; }"
               " QComboBox::drop-down { subcontrol-origin: padding; subcontrol-position: center right; width: 24px;"
               " border: none; background: transparent; }"
               " QComboBox::down-arrow { image: url(:/pict/arrowDown.svg); width: 12px; height: 12px; }"
               " QComboBox::down-arrow:disabled { image: none; }"
               " QPushButton::menu-indicator { image: url(:/pict/arrowDown.svg); subcontrol-origin: padding;"
               " subcontrol-position: center right; right: 8px; width: 12px; height: 12px; }"
               " QMenu { color: %1; background-color: %2; border: 1px solid %5; border-radius: 8px; padding: 6px;"
               " font-family: %8; font-size: 14px; }"
               " QMenu::item { padding: 6px 20px; border-radius: 6px; background: transparent; }"
               " QMenu::item:selected { background-color: %4; }"
               " QMenu::item:disabled { color: %6; }"
               " QMenu::separator { height: 1px; background: %3; margin: 4px 8px; }"
               " QScrollBar:vertical { background: transparent; width: 10px; margin: 0; }"
               " QScrollBar:horizontal { background: transparent; height: 10px; margin: 0; }"
               " QScrollBar::handle { background: %7; border-radius: 4px; margin: 1px; }"
               " QScrollBar::handle:vertical { min-height: 24px; }"
               " QScrollBar::handle:horizontal { min-width: 24px; }"
               " QScrollBar::handle:hover { background: %9; }"
               " QScrollBar::add-line, QScrollBar::sub-line { width: 0; height: 0; border: none; background: none; }"
               " QScrollBar::add-page, QScrollBar::sub-page { background: none; }"
               " QAbstractScrollArea::corner { background: transparent; }"
               " QToolTip { color: %1; background-color: %2; border: 1px solid %5; border-radius: 6px; padding: 4px;"
               " font-family: %8; }")
        .arg(css(Text), css(CardBackground), css(Border), css(withAlpha(Brand, 90)), css(Brand), css(DisabledText),
             css(FieldBorder), TextFont, css(MutedText));
}

QString nameStyle(const QColor &colour)
{
    return QStringLiteral("color: %1; background: transparent; border: none; font-family: %2;"
                          " font-size: 15px; font-weight: 600;")
        .arg(css(colour), TextFont);
}

QString captionStyle()
{
    return QStringLiteral("color: %1; background: transparent; border: none; font-family: %2; font-size: 12px;")
        .arg(css(MutedText), TextFont);
}

QString valueStyle()
{
    return QStringLiteral("color: %1; background: transparent; border: none;"
                          " font-family: %2; font-size: 15px; font-weight: 500;")
        .arg(css(Text), NumberFont);
}

QString iconButtonStyle()
{
    return QStringLiteral("QPushButton { background: transparent; border: none; }"
                          " QPushButton:hover { background-color: %1; border-radius: 6px; }")
        .arg(css(withAlpha(Text, 20)));
}

QString cardStyle(const QString &objectName)
{
    return QStringLiteral("QFrame#%1 { background-color: %2; border: none; border-radius: 12px; }")
        .arg(objectName, css(CardBackground));
}

QString actionButtonStyle()
{
    return QStringLiteral("QPushButton { color: %1; background-color: %2; border: 2px solid %3;"
                          " border-radius: 12px; padding: 6px 16px; font-family: %6; font-size: 14px; font-weight: 600; }"
                          " QPushButton:hover { background-color: %4; }"
                          " QPushButton:checked { border-color: %5; }"
                          " QPushButton:disabled { color: %7; border-color: %7; }")
        .arg(css(Text), css(CardBackground), css(Brand), css(withAlpha(Brand, 60)), css(Attention), TextFont,
             css(MutedText));
}

QString titleStyle(int pixelSize)
{
    return QStringLiteral("color: %1; font-family: %2; font-size: %3px; font-weight: 700;")
        .arg(css(Text), TextFont)
        .arg(pixelSize);
}

QString dialogStyle(const QString &frameName)
{
    return QStringLiteral(
               "QFrame#%1 { background-color: %2; border: 2px solid %7; border-radius: 14px; }"
               " QLabel { color: %3; background: transparent; border: none; font-family: %8; font-size: 13px; }"
               " QLabel[role=\"title\"] { font-size: 18px; font-weight: 600; }"
               " QLabel[role=\"caption\"] { color: %4; font-size: 12px; font-weight: 600; }"
               " QLineEdit, QComboBox, QPlainTextEdit { color: %3; background-color: %5; border: 1px solid %9;"
               " border-radius: 8px; padding: 6px 8px; font-family: %8; font-size: 14px; }"
               " QLineEdit:focus, QPlainTextEdit:focus { border-color: %7; }"
               " QLineEdit:read-only { color: %6; }"
               " QFrame[role=\"value\"] { background-color: %5; border: none; border-radius: 10px; }"
               " QListWidget, QTableWidget { color: %3; background-color: %5; border: none; border-radius: 10px;"
               " font-family: %10; font-size: 13px; padding: 6px; }"
               " QTableWidget::item:selected { color: %3; background-color: %11; }"
               " QHeaderView::section { color: %4; background-color: %5; border: none; padding: 4px;"
               " font-family: %8; font-size: 12px; }")
               .arg(frameName, css(CardBackground), css(Text), css(MutedText), css(PageBackground), css(Live),
                    css(Brand), TextFont, css(FieldBorder))
               .arg(NumberFont, css(withAlpha(Brand, 90)))
           + actionButtonStyle();
}

QFrame *dialogFrame(QDialog *dialog, const QString &title)
{
    dialog->setWindowTitle(title);
    dialog->setWindowFlags(Qt::Dialog | Qt::FramelessWindowHint);
    dialog->setAttribute(Qt::WA_TranslucentBackground);
    auto *frame = new QFrame(dialog);
    frame->setObjectName(QStringLiteral("dialogFrame"));
    frame->setStyleSheet(dialogStyle(frame->objectName()));
    auto *outer = new QVBoxLayout(dialog);
    outer->setContentsMargins(0, 0, 0, 0);
    outer->addWidget(frame);
    return frame;
}

WindowBlur::WindowBlur(QWidget *window) : m_window(window)
{
    if (!window || window->graphicsEffect())
        return;
    auto *effect = new QGraphicsBlurEffect(window);
    effect->setBlurRadius(BlurRadius);
    window->setGraphicsEffect(effect);
    m_effect = effect;
}

WindowBlur::~WindowBlur()
{
    if (m_window && m_effect && m_window->graphicsEffect() == m_effect)
        m_window->setGraphicsEffect(nullptr);
}

QWidget *pageHeader(QWidget *parent, QLabel *title, QPushButton *help)
{
    auto *bar = new QWidget(parent);
    auto *row = new QHBoxLayout(bar);
    row->setContentsMargins(0, 0, 0, 0);
    title->setObjectName(QStringLiteral("titleLabel"));
    title->setStyleSheet(QStringLiteral("color: %1; font-family: %2; font-size: 24px; font-weight: 600;").arg(css(Text), TextFont));
    help->setObjectName(QStringLiteral("helpButton"));
    help->setIcon(QIcon(QStringLiteral(":/pict/info.png")));
    help->setIconSize(QSize(22, 22));
    help->setCursor(Qt::PointingHandCursor);
    help->setStyleSheet(actionButtonStyle());
    row->addWidget(title);
    row->addStretch(1);
    row->addWidget(help);
    return bar;
}

} // namespace Theme
