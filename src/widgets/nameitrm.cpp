#include "widgets/nameitrm.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QRegularExpression>
#include <QtMath>
#include <QTextEdit>

nameitrm::nameitrm(int kind, QWidget *parent)
    : QWidget(parent), m_kind(kind), m_caption(new QLabel(QStringLiteral("ДАТЧИК"), this)),
      m_text(new QTextEdit(this)), m_remove(new QPushButton(this))
{
    auto *icon = new QLabel(this);
    icon->setObjectName(QStringLiteral("iconLabel"));
    icon->setPixmap(QPixmap(QStringLiteral(":/pict/sesorIcon_1.png")).scaled(24, 24, Qt::KeepAspectRatio, Qt::SmoothTransformation));
    m_caption->setObjectName(QStringLiteral("captionLabel"));
    m_text->setObjectName(QStringLiteral("textEdit"));
    m_remove->setObjectName(QStringLiteral("removeButton"));
    m_remove->setIcon(QIcon(QStringLiteral(":/pict/removeSensorIcon_1.svg")));
    m_remove->setFlat(true);
    m_remove->setCursor(Qt::PointingHandCursor);

    if (kind == 2) {
        m_caption->setText(QStringLiteral("ТАЙМЕР"));
        m_text->setMaximumHeight(42);
    } else if (kind != 1) {
        m_caption->clear();
    }
    m_remove->setEnabled(kind != 0);

    auto *layout = new QHBoxLayout(this);
    layout->setContentsMargins(4, 2, 4, 2);
    layout->addWidget(icon);
    layout->addWidget(m_caption);
    layout->addWidget(m_text, 1);
    layout->addWidget(m_remove);

    connect(m_remove, &QPushButton::clicked, this, &nameitrm::on_removeButton_clicked);
}

void nameitrm::on_removeButton_clicked()
{
    emit removeItem();
}

void nameitrm::setCaption(int ref, const QString &text)
{
    m_ref = ref;
    m_text->setPlainText(text);
    m_text->setToolTip(text);
    m_text->setReadOnly(true);
}

QSize nameitrm::minimumSizeHint() const
{
    QSize size = QWidget::minimumSizeHint();
    qreal widest = 0;
    const QFontMetricsF metrics(m_text->document()->defaultFont());
    for (const QString &part : m_text->toPlainText().split(QRegularExpression(QStringLiteral("\\s+")), Qt::SkipEmptyParts))
        widest = qMax(widest, metrics.horizontalAdvance(part));
    const int word = qCeil(widest);
    const int margins = 2 * qCeil(m_text->document()->documentMargin()) + 2 * m_text->frameWidth();
    size.rwidth() += qMax(0, word + margins - m_text->minimumSizeHint().width());
    return size;
}
