#include <QAbstractSpinBox>
#include <QComboBox>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QStyleOptionButton>
#include <QStyleOptionFrame>
#include <QTextDocument>
#include <QTextEdit>

#include "demodialogs.h"
#include "history/historytablemodel.h"
#include "uitexts.h"

// Every page of the program, signed in to the demo controller, at the smallest window the program
// allows, a laptop's and a full-HD screen: no text is cut and no two input fields overlap.
class TestLayoutFit : public QObject
{
    Q_OBJECT

    std::unique_ptr<TempWorkDir> m_dir;
    DemoSession m_demo;
    QSet<QString> m_caught;  // every widget found at fault, over all sizes

    static QString plain(const QString &text) { return uiPlainText(text); }

    static QString describe(const QWidget *w, const QString &text)
    {
        return text.isEmpty() ? uiWidgetName(w) : QStringLiteral("%1 \"%2\"").arg(uiWidgetName(w), plain(text).simplified());
    }

    // The widest of a text's lines (rich text laid out as a label lays it out).
    static int textWidth(const QString &text, const QFont &font)
    {
        if (Qt::mightBeRichText(text)) {
            QTextDocument doc;
            doc.setDocumentMargin(0);
            doc.setDefaultFont(font);
            doc.setHtml(text);
            return qCeil(doc.idealWidth());
        }
        const QFontMetricsF metrics(font);
        qreal widest = 0;
        for (const QString &line : text.split(QLatin1Char('\n')))
            widest = qMax(widest, metrics.horizontalAdvance(line));
        return qCeil(widest);
    }

    // Text layout places glyphs at fractional positions: whole pixels would round a word down.
    static int widestWord(const QString &text, const QFont &font)
    {
        const QFontMetricsF metrics(font);
        qreal widest = 0;
        for (const QString &word : plain(text).split(QRegularExpression(QStringLiteral("\\s+")), Qt::SkipEmptyParts))
            widest = qMax(widest, metrics.horizontalAdvance(word));
        return qCeil(widest);
    }

    static void checkLabel(const QLabel *label, QStringList &faults)
    {
        if (label->text().isEmpty())
            return;
        const int m = label->margin();
        const QRect area = label->contentsRect().adjusted(m, m, -m, -m);
        if (label->wordWrap()) {
            const int word = widestWord(label->text(), label->font());
            if (word > area.width())
                faults << QStringLiteral("%1: a word needs %2 px, has %3").arg(describe(label, label->text())).arg(word).arg(area.width());
            else if (label->heightForWidth(label->width()) > label->height())
                faults << QStringLiteral("%1: wrapped text needs %2 px of height, has %3")
                              .arg(describe(label, label->text()))
                              .arg(label->heightForWidth(label->width()))
                              .arg(label->height());
            return;
        }
        const int needed = textWidth(label->text(), label->font());
        if (needed > area.width())
            faults << QStringLiteral("%1: needs %2 px, has %3").arg(describe(label, label->text())).arg(needed).arg(area.width());
    }

    static void checkButton(const QPushButton *b, QStringList &faults)
    {
        if (b->text().isEmpty())
            return;
        QStyleOptionButton option;
        option.initFrom(b);
        option.text = b->text();
        option.icon = b->icon();
        option.iconSize = b->iconSize();
        if (b->isFlat())
            option.features |= QStyleOptionButton::Flat;
        const QRect area = b->style()->subElementRect(QStyle::SE_PushButtonContents, &option, b);
        const int needed = textWidth(b->text(), b->font()) + (b->icon().isNull() ? 0 : b->iconSize().width() + 4);
        if (needed > area.width())
            faults << QStringLiteral("%1: needs %2 px, has %3").arg(describe(b, b->text())).arg(needed).arg(area.width());
    }

    static bool isField(const QWidget *w)
    {
        if (qobject_cast<const QLineEdit *>(w))
            return !qobject_cast<const QAbstractSpinBox *>(w->parentWidget()) && !qobject_cast<const QComboBox *>(w->parentWidget());
        return qobject_cast<const QComboBox *>(w) || qobject_cast<const QAbstractSpinBox *>(w) || qobject_cast<const QTextEdit *>(w)
            || qobject_cast<const QPlainTextEdit *>(w);
    }

    static void checkLineEdit(const QLineEdit *edit, QStringList &faults)
    {
        const QString text = edit->displayText();
        if (text.isEmpty() || edit->echoMode() != QLineEdit::Normal)
            return;
        QStyleOptionFrame option;
        option.initFrom(edit);
        option.lineWidth = edit->hasFrame() ? edit->style()->pixelMetric(QStyle::PM_DefaultFrameWidth, &option, edit) : 0;
        const QMargins margins = edit->textMargins();
        // the line edit keeps two pixels free on each side of the text
        const int area = edit->style()->subElementRect(QStyle::SE_LineEditContents, &option, edit).width() - margins.left()
            - margins.right() - 4;
        const int needed = edit->fontMetrics().horizontalAdvance(text);
        if (needed > area)
            faults << QStringLiteral("%1: shows %2 px of %3").arg(describe(edit, text)).arg(area).arg(needed);
    }

    // A text box wraps its text; a word wider than the box is broken in the middle.
    static void checkTextEdit(const QTextEdit *edit, QStringList &faults)
    {
        const QString text = edit->toPlainText();
        if (text.isEmpty())
            return;
        const QTextDocument *doc = edit->document();
        const int width = edit->viewport()->width() - 2 * qCeil(doc->documentMargin());
        const int word = widestWord(text, doc->defaultFont());
        if (word > width)
            faults << QStringLiteral("%1: a word needs %2 px, has %3").arg(describe(edit, text)).arg(word).arg(width);
        else if (edit->verticalScrollBarPolicy() == Qt::ScrollBarAlwaysOff && doc->size().height() > edit->viewport()->height() + 1)
            faults << QStringLiteral("%1: needs %2 px of height, has %3")
                          .arg(describe(edit, text))
                          .arg(qCeil(doc->size().height()))
                          .arg(edit->viewport()->height());
    }

    static QRect inWindow(const QWidget *w) { return QRect(w->mapTo(w->window(), QPoint(0, 0)), w->size()); }

    // A widget that its parent's edge cuts off, unless the parent scrolls it into view.
    static void checkInsideParent(const QWidget *w, QStringList &faults)
    {
        const QWidget *parent = w->parentWidget();
        if (!parent || w->isWindow() || qobject_cast<const QAbstractScrollArea *>(parent->parentWidget()))
            return;
        if (w->width() <= 0 || w->height() <= 0 || parent->rect().contains(w->geometry()))
            return;
        faults << QStringLiteral("%1: cut off by %2 (%3 x %4 px of %5 x %6 shown)")
                      .arg(describe(w, QString()), describe(parent, QString()))
                      .arg(w->geometry().intersected(parent->rect()).width())
                      .arg(w->geometry().intersected(parent->rect()).height())
                      .arg(w->width())
                      .arg(w->height());
    }

    // The faults of the visible widgets of one page, each naming the widget.
    static QStringList pageFaults(QWidget *page)
    {
        QStringList faults;
        QList<QWidget *> fields;
        for (QWidget *w : page->findChildren<QWidget *>()) {
            if (!w->isVisible())
                continue;
            checkInsideParent(w, faults);
            if (auto *label = qobject_cast<QLabel *>(w))
                checkLabel(label, faults);
            else if (auto *b = qobject_cast<QPushButton *>(w))
                checkButton(b, faults);
            if (auto *edit = qobject_cast<QLineEdit *>(w); edit && isField(w))
                checkLineEdit(edit, faults);
            else if (auto *box = qobject_cast<QTextEdit *>(w))
                checkTextEdit(box, faults);
            if (isField(w))
                fields << w;
        }
        for (int i = 0; i < fields.size(); ++i) {
            for (int j = i + 1; j < fields.size(); ++j) {
                const QWidget *a = fields.at(i);
                const QWidget *b = fields.at(j);
                if (a->isAncestorOf(b) || b->isAncestorOf(a))
                    continue;
                const QRect overlap = inWindow(a).intersected(inWindow(b));
                if (!overlap.isEmpty())
                    faults << QStringLiteral("%1 and %2 overlap by %3 x %4 px")
                                  .arg(describe(a, QString()), describe(b, QString()))
                                  .arg(overlap.width())
                                  .arg(overlap.height());
            }
        }
        return faults;
    }

    static void addSizes(const QString &page)
    {
        for (const QSize &size : {QSize(1024, 768), QSize(1280, 800), QSize(1920, 1080)})
            QTest::addRow("%s %dx%d", qPrintable(page), size.width(), size.height()) << page << size;
    }

    // Pictures of what is checked, e.g. for the documentation, when VIREOSANT_GRAB_DIR names a
    // folder (VIREOSANT_GRAB_TAG, "before" or "after", goes into the names).
    static bool grab(DemoWindow *d, const QString &view, const QSize &size)
    {
        const QString folder = qEnvironmentVariable("VIREOSANT_GRAB_DIR");
        if (folder.isEmpty())
            return true;
        const QString tag = qEnvironmentVariable("VIREOSANT_GRAB_TAG", QStringLiteral("after"));
        return d->grab(QStringLiteral("%1/%2-%3-%4x%5.png").arg(folder, view, tag).arg(size.width()).arg(size.height()));
    }

    void report(const QString &page, const QStringList &faults)
    {
        // the widget a fault names: what comes before its measurements
        static const QRegularExpression widget(QStringLiteral("^(.*?)(: (needs|a word|wrapped|shows|cut off|lines cut)| and )"));
        static const QRegularExpression second(QStringLiteral(" and (.*) overlap"));
        const QString where = page.section(QLatin1Char(' '), 0, 0) + QLatin1Char(' ');
        for (const QString &fault : faults) {
            m_caught.insert(where + widget.match(fault).captured(1));
            if (const QRegularExpressionMatch other = second.match(fault); other.hasMatch())
                m_caught.insert(where + other.captured(1));
        }
        if (!faults.isEmpty())
            QFAIL(qPrintable(QStringLiteral("on the page %1:\n  %2").arg(page, faults.join(QStringLiteral("\n  ")))));
    }

private slots:
    void initTestCase() { m_dir.reset(new TempWorkDir); }
    void cleanupTestCase()
    {
        if (!m_caught.isEmpty())
            qInfo("%d widgets at fault in all", int(m_caught.size()));
        m_demo.reset();
        m_dir.reset();
    }

    void pageFits_data()
    {
        QTest::addColumn<QString>("page");
        QTest::addColumn<QSize>("size");
        for (const QString &page : DemoWindow::pages())
            addSizes(page);
    }
    void pageFits()
    {
        QFETCH(QString, page);
        QFETCH(QSize, size);
        DemoWindow *d = m_demo.get(page != QStringLiteral("signin"));
        QVERIFY(d);
        d->resize(size);
        QWidget *shown = d->open(page);
        QVERIFY(shown && shown->isVisible());
        QCOMPARE(d->f.window->size(), size);
        QVERIFY(grab(d, page, size));
        QStringList faults = pageFaults(shown);
        // the scenario editor: every output's day and night table
        if (page == QStringLiteral("scenario")) {
            for (QPushButton *output : shown->findChildren<QPushButton *>(QRegularExpression(QStringLiteral("^(powerSocketButton_|relay)\\d$")))) {
                for (const char *phase : {"dayWorkButton", "nightWorkButton"}) {
                    if (!output->isVisible())
                        continue;
                    output->click();
                    if (auto *b = shown->findChild<QPushButton *>(QString::fromLatin1(phase)); b && b->isVisible())
                        b->click();
                    d->settle();
                    QVERIFY(grab(d, QStringLiteral("%1-%2-%3").arg(page, output->objectName(), QString::fromLatin1(phase)), size));
                    for (const QString &fault : pageFaults(shown)) {
                        if (!faults.contains(fault))
                            faults << fault;
                    }
                }
            }
        }
        report(page, faults);
        // the navigation panel stands beside every work page
        if (page != QStringLiteral("signin") && page != QStringLiteral("scenario"))
            report(page + QStringLiteral(" panel"), pageFaults(d->f.window->leftMenu()));
    }

    // The dialogs over the smallest window.
    void dialogFits_data()
    {
        QTest::addColumn<QString>("dialog");
        for (const QString &dialog : DemoDialogs::names())
            QTest::newRow(qPrintable(dialog)) << dialog;
    }
    void dialogFits()
    {
        QFETCH(QString, dialog);
        DemoWindow *d = m_demo.get(true);
        QVERIFY(d);
        d->resize(QSize(1024, 768));
        QStringList faults;
        QVERIFY(DemoDialogs::open(d, dialog, [&faults, dialog](QDialog *shown) {
            faults += pageFaults(shown);
            if (const QString folder = qEnvironmentVariable("VIREOSANT_GRAB_DIR"); !folder.isEmpty())
                shown->grab().save(QStringLiteral("%1/dialog-%2.png").arg(folder, dialog), "PNG", 0);
        }));
        report(dialog, faults);
    }

    // The log in the table: each cell's lines whole in their column, time with its date, the
    // headers broken between words only.
    void historyTableShowsWholeTexts_data()
    {
        QTest::addColumn<QString>("page");
        QTest::addColumn<QSize>("size");
        addSizes(QStringLiteral("history"));
    }
    void historyTableShowsWholeTexts()
    {
        QFETCH(QSize, size);
        DemoWindow *d = m_demo.get(true);
        QVERIFY(d);
        d->resize(size);
        auto *page = static_cast<SettingsForm *>(d->open(QStringLiteral("history")));
        QTableView *table = page->logtd;
        const HistoryTableModel *model = page->tableModel();
        QVERIFY(model->rowCount() > 0);
        // the widest and the tallest cell of each column
        QMap<int, QPair<int, QString>> widest;
        QMap<int, QPair<int, int>> tallest;  // lines, row
        const QFontMetrics metrics(table->font());
        for (int row = 0; row < model->rowCount(); ++row) {
            for (int column = 0; column < model->columnCount(); ++column) {
                const QStringList lines = plain(model->index(row, column).data().toString()).split(QLatin1Char('\n'));
                for (const QString &line : lines) {
                    const int width = textWidth(line, table->font());
                    if (width > widest.value(column).first)
                        widest[column] = {width, line};
                }
                if (lines.size() * metrics.lineSpacing() - table->rowHeight(row) > tallest.value(column).first)
                    tallest[column] = {int(lines.size() * metrics.lineSpacing() - table->rowHeight(row)), row};
            }
        }
        QStringList faults;
        constexpr int Padding = RichCellDelegate::Padding;
        for (auto it = widest.cbegin(); it != widest.cend(); ++it) {
            const int width = table->columnWidth(it.key()) - 2 * Padding;
            if (it.value().first > width)
                faults << QStringLiteral("column %1 \"%2\": needs %3 px, has %4").arg(it.key()).arg(it.value().second).arg(it.value().first).arg(width);
        }
        for (auto it = tallest.cbegin(); it != tallest.cend(); ++it) {
            if (it.value().first > -2 * Padding)
                faults << QStringLiteral("column %1, row %2: lines cut at the bottom").arg(it.key()).arg(it.value().second);
        }
        QHeaderView *header = table->horizontalHeader();
        for (int column = 0; column < model->columnCount(); ++column) {
            const QString text = model->headerData(column, Qt::Horizontal, Qt::DisplayRole).toString();
            // the header's style sheet pads each section by 10 px on either side
            const int width = header->sectionSize(column) - 20;
            const int word = widestWord(text, header->font());
            if (word > width)
                faults << QStringLiteral("header \"%1\": a word needs %2 px, has %3").arg(text).arg(word).arg(width);
            const QRect wrapped = QFontMetrics(header->font()).boundingRect(QRect(0, 0, qMax(width, 1), 10000), Qt::TextWordWrap, text);
            if (wrapped.height() > header->height() - 12)
                faults << QStringLiteral("header \"%1\": needs %2 px of height, has %3").arg(text).arg(wrapped.height()).arg(header->height() - 12);
        }
        report(QStringLiteral("history table"), faults);
    }
};

QTEST_MAIN(TestLayoutFit)
#include "tst_layoutfit.moc"
