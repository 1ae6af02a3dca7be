#include "gui/TraditionalDisplay.h"

#include <QAbstractButton>
#include <QAbstractItemView>
#include <QApplication>
#include <QComboBox>
#include <QEvent>
#include <QHash>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPainter>
#include <QProxyStyle>
#include <QSpinBox>
#include <QStyleOption>
#include <QTextBlock>
#include <QTextCursor>
#include <QTextDocument>
#include <QTextEdit>
#include <QWidget>

#include <unordered_set>
#include <vector>

#include "core/traditional/conversion.h"
#include "gui/ReportEdit.h"

namespace hj::gui {
namespace {

bool g_on = false;
bool g_installed = false;
const char* const kAsTyped = "hjAsTyped";

// Texts repeat on every repaint; the conversion of each is kept (bounded).
QHash<QString, QString>& cache() {
    static QHash<QString, QString> c;
    return c;
}

// The names that pass unchanged (a store may hold many thousands).
std::unordered_set<std::string>& keptWords() {
    static std::unordered_set<std::string> words;
    return words;
}

// The kept words that occur in `utf8`: the conversion compares each of them at every character.
std::vector<std::string> keptWordsIn(const std::string& utf8) {
    std::vector<std::string> present;
    for (const std::string& w : keptWords())
        if (utf8.find(w) != std::string::npos) present.push_back(w);
    return present;
}

bool asTyped(const QWidget* w) {
    for (; w; w = w->parentWidget()) {
        if (w->property(kAsTyped).toBool()) return true;
        if (w->isWindow()) break;
    }
    return false;
}

QString convert(const QString& text) {
    QHash<QString, QString>& memo = cache();
    if (text.isEmpty()) return text;
    bool ascii = true;
    for (QChar c : text)
        if (c.unicode() >= 0x80) ascii = false;
    if (ascii) return text;
    auto it = memo.constFind(text);
    if (it != memo.constEnd()) return *it;
    if (memo.size() > 4096) memo.clear();
    const std::string utf8 = text.toStdString();
    const QString out = QString::fromStdString(traditional::toTraditional(utf8, keptWordsIn(utf8)));
    memo.insert(text, out);
    return out;
}

class ScriptStyle : public QProxyStyle {
public:
    using QProxyStyle::QProxyStyle;

    void drawItemText(QPainter* p, const QRect& r, int flags, const QPalette& pal, bool enabled, const QString& text,
                      QPalette::ColorRole role) const override {
        // A label paints on itself: the painter's device names the widget.
        const QPaintDevice* d = p ? p->device() : nullptr;
        const auto* w = d && d->devType() == QInternal::Widget ? static_cast<const QWidget*>(d) : nullptr;
        QProxyStyle::drawItemText(p, r, flags, pal, enabled, shownText(text, w), role);
    }

    void drawControl(ControlElement el, const QStyleOption* opt, QPainter* p, const QWidget* w) const override {
        if (g_on && !asTyped(w)) {
            if (auto* o = qstyleoption_cast<const QStyleOptionMenuItem*>(opt)) return withText(*o, el, p, w);
            if (auto* o = qstyleoption_cast<const QStyleOptionTab*>(opt)) return withText(*o, el, p, w);
            if (auto* o = qstyleoption_cast<const QStyleOptionHeader*>(opt)) return withText(*o, el, p, w);
            if (auto* o = qstyleoption_cast<const QStyleOptionViewItem*>(opt)) return withText(*o, el, p, w);
            if (auto* o = qstyleoption_cast<const QStyleOptionButton*>(opt)) return withText(*o, el, p, w);
            if (auto* o = qstyleoption_cast<const QStyleOptionToolButton*>(opt)) return withText(*o, el, p, w);
            if (auto* o = qstyleoption_cast<const QStyleOptionComboBox*>(opt)) {
                QStyleOptionComboBox c(*o);
                c.currentText = convert(c.currentText);
                return QProxyStyle::drawControl(el, &c, p, w);
            }
        }
        QProxyStyle::drawControl(el, opt, p, w);
    }

    void drawComplexControl(ComplexControl cc, const QStyleOptionComplex* opt, QPainter* p,
                            const QWidget* w) const override {
        if (g_on && !asTyped(w)) {
            if (auto* o = qstyleoption_cast<const QStyleOptionGroupBox*>(opt)) {
                QStyleOptionGroupBox g(*o);
                g.text = convert(g.text);
                return QProxyStyle::drawComplexControl(cc, &g, p, w);
            }
            if (auto* o = qstyleoption_cast<const QStyleOptionToolButton*>(opt)) {
                QStyleOptionToolButton t(*o);
                t.text = convert(t.text);
                return QProxyStyle::drawComplexControl(cc, &t, p, w);
            }
        }
        QProxyStyle::drawComplexControl(cc, opt, p, w);
    }

private:
    template <class Option>
    void withText(const Option& o, ControlElement el, QPainter* p, const QWidget* w) const {
        Option c(o);
        c.text = convert(c.text);
        QProxyStyle::drawControl(el, &c, p, w);
    }
};

const char* const kPlainTitle = "hjPlainTitle";
const char* const kPlainText = "hjPlainText";
const char* const kPlainSuffix = "hjPlainSuffix";    // a spin box's own suffix
const char* const kPlainSpecial = "hjPlainSpecial";  // and its special value text
const char* const kShownText = "hjShownText";  // what was put in its place, to tell a later change
const char* const kWatched = "hjScriptWatched";

// Every fragment of a document in Traditional characters, keeping its formats. The fragments
// are read first: replacing text while walking them would invalidate the walk.
void convertDocument(QTextDocument* doc) {
    struct Piece {
        int position;
        QString text;
        QTextCharFormat format;
    };
    std::vector<Piece> pieces;
    for (QTextBlock b = doc->begin(); b.isValid(); b = b.next()) {
        for (auto it = b.begin(); !it.atEnd(); ++it) {
            const QTextFragment f = it.fragment();
            if (!f.isValid()) continue;
            const QString t = convert(f.text());
            if (t != f.text() && t.size() == f.text().size()) pieces.push_back({f.position(), t, f.charFormat()});
        }
    }
    if (pieces.empty()) return;
    QTextCursor cur(doc);
    cur.beginEditBlock();
    for (const Piece& piece : pieces) {
        cur.setPosition(piece.position);
        cur.setPosition(piece.position + static_cast<int>(piece.text.size()), QTextCursor::KeepAnchor);
        cur.insertText(piece.text, piece.format);
    }
    cur.endEditBlock();
}

void convertDocumentOf(QWidget* w, QTextDocument* doc) {
    if (!w->property(kWatched).toBool()) {
        w->setProperty(kWatched, true);
        // Later contents of the view (a new selection, a new page) are converted as they come.
        QObject::connect(doc, &QTextDocument::contentsChanged, w, [w, doc] {
            static bool busy = false;
            if (busy || !g_on || !w->isVisible()) return;
            busy = true;
            convertDocument(doc);
            busy = false;
        });
    }
    convertDocument(doc);
}

void convertWidget(QWidget* w) {
    if (w->isWindow()) {
        const QString title = w->windowTitle();
        const QString t = convert(title);
        if (t != title) {
            w->setProperty(kPlainTitle, title);
            w->setWindowTitle(t);
        }
    }
    // Rich or selectable labels (a message box's text) are drawn by a text control, not by the
    // style: their text itself is converted.
    if (auto* l = qobject_cast<QLabel*>(w);
        l && !asTyped(l) &&
        ((l->textFormat() != Qt::PlainText && Qt::mightBeRichText(l->text())) || l->textInteractionFlags() != Qt::NoTextInteraction)) {
        const QString t = convert(l->text());
        if (t != l->text()) {
            l->setProperty(kPlainText, l->text());
            l->setProperty(kShownText, t);
            l->setText(t);
        }
    } else if (auto* e = qobject_cast<QLineEdit*>(w); e && e->isReadOnly() && !asTyped(e)) {
        const QString t = convert(e->text());
        if (t != e->text()) {
            e->setProperty(kPlainText, e->text());
            e->setProperty(kShownText, t);
            e->setText(t);
        }
    } else if (auto* sb = qobject_cast<QSpinBox*>(w); sb && !asTyped(sb)) {
        // The suffix and the special value are drawn in the box's own line edit, not by the style.
        const QString suffix = convert(sb->suffix()), special = convert(sb->specialValueText());
        if (suffix != sb->suffix() || special != sb->specialValueText()) {
            sb->setProperty(kPlainSuffix, sb->suffix());
            sb->setProperty(kPlainSpecial, sb->specialValueText());
            sb->setSuffix(suffix);
            sb->setSpecialValueText(special);
        }
    } else if (qobject_cast<ReportEdit*>(w)) {
        // The report has the characters it was made or stored with.
    } else if (auto* te = qobject_cast<QTextEdit*>(w); te && te->isReadOnly()) {
        convertDocumentOf(te, te->document());
    } else if (auto* pe = qobject_cast<QPlainTextEdit*>(w); pe && pe->isReadOnly()) {
        convertDocumentOf(pe, pe->document());
    }
}

void convertTree(QWidget* root) {
    convertWidget(root);
    for (QWidget* c : root->findChildren<QWidget*>()) convertWidget(c);
}

// Titles and fields converted earlier get their own texts back.
void restoreTree(QWidget* root) {
    QList<QWidget*> all = root->findChildren<QWidget*>();
    all.prepend(root);
    for (QWidget* w : all) {
        if (const QVariant t = w->property(kPlainTitle); t.isValid()) {
            w->setWindowTitle(t.toString());
            w->setProperty(kPlainTitle, QVariant());
        }
        if (auto* sb = qobject_cast<QSpinBox*>(w); sb && sb->property(kPlainSuffix).isValid()) {
            sb->setSuffix(sb->property(kPlainSuffix).toString());
            sb->setSpecialValueText(sb->property(kPlainSpecial).toString());
            sb->setProperty(kPlainSuffix, QVariant());
            sb->setProperty(kPlainSpecial, QVariant());
        }
        if (const QVariant t = w->property(kPlainText); t.isValid()) {
            // A text the program has changed since keeps the change.
            const QString shown = w->property(kShownText).toString();
            if (auto* l = qobject_cast<QLabel*>(w); l && l->text() == shown) l->setText(t.toString());
            if (auto* e = qobject_cast<QLineEdit*>(w); e && e->text() == shown) e->setText(t.toString());
            w->setProperty(kPlainText, QVariant());
            w->setProperty(kShownText, QVariant());
        }
    }
}

class ScriptFilter : public QObject {
public:
    using QObject::QObject;
    bool eventFilter(QObject* o, QEvent* e) override {
        if (!g_on || !o->isWidgetType()) return false;
        auto* w = static_cast<QWidget*>(o);
        switch (e->type()) {
        case QEvent::Show:
            if (w->isWindow()) convertTree(w);
            else convertWidget(w);
            break;
        case QEvent::WindowTitleChange:
            if (w->isWindow() && !busy_) {
                busy_ = true;
                convertWidget(w);
                busy_ = false;
            }
            break;
        default:
            break;
        }
        return false;
    }

private:
    bool busy_ = false;
};

}  // namespace

void installTraditionalDisplay() {
    if (g_installed || !qApp) return;
    g_installed = true;
    QApplication::setStyle(new ScriptStyle(QApplication::style()->name()));
    qApp->installEventFilter(new ScriptFilter(qApp));
}

bool traditionalShown() { return g_on; }

void setTraditionalShown(bool on) {
    if (on == g_on) return;
    g_on = on;
    // The display name is left unset: once set, the toolkit appends it to every window title.
    for (QWidget* w : QApplication::topLevelWidgets()) {
        if (on) convertTree(w);
        else restoreTree(w);
        for (QWidget* c : w->findChildren<QWidget*>()) c->update();
        w->update();
    }
}

QString shownText(const QString& text, const QWidget* widget) { return g_on && !asTyped(widget) ? convert(text) : text; }

void keepAsTyped(const QString& word) { keepAsTyped(word.trimmed().toStdString()); }

void keepAsTyped(const std::string& utf8Word) {
    if (utf8Word.empty() || !keptWords().insert(utf8Word).second) return;
    cache().clear();  // conversions made before may hold the word converted
}

void showAsTyped(QWidget* w) {
    w->setProperty(kAsTyped, true);
    // A combo box's list opens in a window of its own.
    if (auto* c = qobject_cast<QComboBox*>(w)) c->view()->setProperty(kAsTyped, true);
}

}  // namespace hj::gui
