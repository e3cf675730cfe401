#include "gui/FormulaEditor.h"

#include <QAbstractItemView>
#include <QCompleter>
#include <QFontDatabase>
#include <QHelpEvent>
#include <QKeyEvent>
#include <QLabel>
#include <QPaintEvent>
#include <QPainter>
#include <QScrollBar>
#include <QStringListModel>
#include <QSyntaxHighlighter>
#include <QTextBlock>
#include <QTextBrowser>
#include <QTimer>
#include <QToolTip>
#include <algorithm>
#include <array>

#include "formula/FormulaChecker.h"
#include "formula/FormulaEditing.h"
#include "formula/FunctionHelp.h"
#include "gui/dialogs/FormulaText.h"

namespace velmora::gui {

namespace {

bool IsWordChar(QChar c) {
    return (c >= QLatin1Char('a') && c <= QLatin1Char('z')) ||
           (c >= QLatin1Char('A') && c <= QLatin1Char('Z')) ||
           (c >= QLatin1Char('0') && c <= QLatin1Char('9'));
}

// The UTF-8 bytes of a text and, for every byte offset, the character (UTF-16) position.
struct Utf8Text {
    QByteArray bytes;
    std::vector<int> positionOfByte;

    explicit Utf8Text(const QString& text) : bytes(text.toUtf8()) {
        positionOfByte.reserve(static_cast<std::size_t>(bytes.size()) + 1);
        for (int i = 0; i < text.size(); ++i) {
            const char16_t c = text.at(i).unicode();
            const int length = QChar::isHighSurrogate(c)  ? 4
                               : QChar::isLowSurrogate(c) ? 0
                               : c < 0x80                 ? 1
                               : c < 0x800                ? 2
                                                          : 3;
            // The bytes of a surrogate pair all belong to its first half.
            for (int k = 0; k < length; ++k) positionOfByte.push_back(i);
        }
        positionOfByte.push_back(static_cast<int>(text.size()));
    }
    std::string_view View() const {
        return {bytes.constData(), static_cast<std::size_t>(bytes.size())};
    }
    int Position(std::size_t byte) const {
        return positionOfByte[std::min(byte, positionOfByte.size() - 1)];
    }
    std::size_t ByteOf(int position) const {
        const auto it = std::lower_bound(positionOfByte.begin(), positionOfByte.end(), position);
        return static_cast<std::size_t>(it - positionOfByte.begin());
    }
};

QTextCharFormat Format(const QColor& colour, bool bold = false, bool italic = false) {
    QTextCharFormat f;
    f.setForeground(colour);
    if (bold) f.setFontWeight(QFont::Bold);
    f.setFontItalic(italic);
    return f;
}

QString Escaped(std::string_view text) {
    return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size())).toHtmlEscaped();
}

// The signature with the argument the cursor is in set in bold, and the description.
QString HintText(const FunctionHelp& help, int argument) {
    const std::string signature = FunctionSignature(help);
    const std::size_t open = signature.find('(');
    std::string_view args(signature);
    args = args.substr(open + 1, args.size() - open - 2);
    QString text = Escaped(std::string_view(signature).substr(0, open + 1));
    for (int i = 0; !args.empty(); ++i) {
        const std::size_t comma = args.find(", ");
        const QString arg = Escaped(args.substr(0, comma));
        if (i > 0) text += QStringLiteral(", ");
        text += i == argument ? QStringLiteral("<b>") + arg + QStringLiteral("</b>") : arg;
        args = comma == std::string_view::npos ? std::string_view() : args.substr(comma + 2);
    }
    return text + QStringLiteral(")<br>") + Escaped(help.summary);
}

}  // namespace

// Colours every token of the document as the formula scanner sees it. The whole text is
// scanned again whenever it changed (formulas are short); a line's state says whether a
// comment or string runs on into the next line, so that Qt carries a change down to it.
class FormulaHighlighter : public QSyntaxHighlighter {
  public:
    explicit FormulaHighlighter(QTextDocument* document) : QSyntaxHighlighter(document) {
        formats_[static_cast<int>(TokenStyle::Keyword)] = Format(QColor(0x00, 0x00, 0xa0), true);
        formats_[static_cast<int>(TokenStyle::Number)] = Format(QColor(0x90, 0x50, 0x00));
        formats_[static_cast<int>(TokenStyle::String)] = Format(QColor(0x00, 0x80, 0x00));
        formats_[static_cast<int>(TokenStyle::Comment)] =
            Format(QColor(0x80, 0x80, 0x80), false, true);
        formats_[static_cast<int>(TokenStyle::Function)] = Format(QColor(0x60, 0x00, 0x90), true);
        formats_[static_cast<int>(TokenStyle::PriceArray)] = Format(QColor(0x00, 0x60, 0x90));
        formats_[static_cast<int>(TokenStyle::Variable)] = Format(QColor(0x00, 0x00, 0x00));
        formats_[static_cast<int>(TokenStyle::Unknown)] = Format(QColor(0xb0, 0x00, 0x00));
        formats_[static_cast<int>(TokenStyle::Operator)] = Format(QColor(0x40, 0x40, 0x40));
        formats_[static_cast<int>(TokenStyle::Invalid)] = Format(QColor(0xff, 0x00, 0x00), true);
        formats_[static_cast<int>(TokenStyle::Unknown)].setFontUnderline(true);
    }

  protected:
    void highlightBlock(const QString& text) override {
        if (document()->revision() != revision_) Rescan();
        const int start = currentBlock().position();
        const int end = start + static_cast<int>(text.size());
        auto it = std::partition_point(spans_.begin(), spans_.end(),
                                       [start](const Span& s) { return s.end <= start; });
        int state = 0;
        for (; it != spans_.end() && it->begin <= end; ++it) {
            const int from = std::max(it->begin, start), to = std::min(it->end, end);
            if (to > from) setFormat(from - start, to - from, formats_[it->style]);
            if (it->end > end) state = 1;  // runs on past the line break
        }
        setCurrentBlockState(state);
    }

  private:
    struct Span {
        int begin, end, style;
    };

    void Rescan() {
        revision_ = document()->revision();
        const Utf8Text text(document()->toPlainText());
        spans_.clear();
        QString names;  // which identifiers are variables and which unknown
        for (const StyledSpan& s : HighlightSpans(text.View())) {
            spans_.push_back(
                {text.Position(s.begin), text.Position(s.end), static_cast<int>(s.style)});
            if (s.style == TokenStyle::Variable || s.style == TokenStyle::Unknown) {
                names += QString::number(static_cast<int>(s.style)) +
                         QString::fromUtf8(text.bytes.mid(static_cast<qsizetype>(s.begin),
                                                          static_cast<qsizetype>(s.end - s.begin)));
            }
        }
        // A new assignment changes the colour of the name's uses on other lines too.
        if (names != names_) {
            names_ = names;
            QTimer::singleShot(0, this, [this] { rehighlight(); });
        }
    }

    std::array<QTextCharFormat, 10> formats_;
    std::vector<Span> spans_;
    QString names_;
    int revision_ = -1;
};

namespace {

class LineNumberArea : public QWidget {
  public:
    explicit LineNumberArea(FormulaEditor* editor) : QWidget(editor), editor_(editor) {}
    QSize sizeHint() const override { return {editor_->LineNumberWidth(), 0}; }

  protected:
    void paintEvent(QPaintEvent* event) override { editor_->PaintLineNumbers(event); }

  private:
    FormulaEditor* editor_;
};

}  // namespace

FormulaEditor::FormulaEditor(QWidget* parent)
    : QPlainTextEdit(parent),
      highlighter_(new FormulaHighlighter(document())),
      lineNumbers_(new LineNumberArea(this)),
      errorLine_(new QLabel(this)),
      completer_(new QCompleter(this)),
      checkTimer_(new QTimer(this)) {
    setLineWrapMode(QPlainTextEdit::NoWrap);
    QFont font = QFontDatabase::systemFont(QFontDatabase::FixedFont);
    setFont(font);
    errorLine_->setStyleSheet(QStringLiteral("color: #b00000; padding-left: 4px;"));
    errorLine_->hide();

    completer_->setModel(new QStringListModel(completer_));
    completer_->setWidget(this);
    completer_->setCompletionMode(QCompleter::PopupCompletion);
    completer_->setCaseSensitivity(Qt::CaseInsensitive);
    connect(completer_, qOverload<const QString&>(&QCompleter::activated), this,
            &FormulaEditor::InsertCompletion);

    checkTimer_->setSingleShot(true);
    checkTimer_->setInterval(kCheckDelayMs);
    connect(checkTimer_, &QTimer::timeout, this, &FormulaEditor::CheckNow);
    connect(this, &QPlainTextEdit::textChanged, checkTimer_, qOverload<>(&QTimer::start));

    connect(this, &QPlainTextEdit::blockCountChanged, this, [this] { UpdateMargins(); });
    connect(this, &QPlainTextEdit::updateRequest, this, [this](const QRect& rect, int dy) {
        if (dy != 0)
            lineNumbers_->scroll(0, dy);
        else
            lineNumbers_->update(0, rect.y(), lineNumbers_->width(), rect.height());
    });
    connect(this, &QPlainTextEdit::cursorPositionChanged, this, [this] {
        UpdateExtraSelections();
        UpdateCallHint();
    });
    UpdateMargins();
}

FormulaEditor::~FormulaEditor() {
    if (reference_) reference_->close();
}

int FormulaEditor::LineNumberWidth() const {
    const int digits = static_cast<int>(QString::number(std::max(1, blockCount())).size());
    return 8 + fontMetrics().horizontalAdvance(QLatin1Char('9')) * std::max(2, digits);
}

void FormulaEditor::PaintLineNumbers(QPaintEvent* event) {
    QPainter painter(lineNumbers_);
    painter.fillRect(event->rect(), palette().color(QPalette::AlternateBase));
    painter.setPen(palette().color(QPalette::PlaceholderText));
    QTextBlock block = firstVisibleBlock();
    int top = qRound(blockBoundingGeometry(block).translated(contentOffset()).top());
    const int lineHeight = fontMetrics().height();
    for (; block.isValid() && top <= event->rect().bottom(); block = block.next()) {
        const int height = qRound(blockBoundingRect(block).height());
        if (block.isVisible() && top + height >= event->rect().top()) {
            painter.drawText(0, top, lineNumbers_->width() - 4, lineHeight, Qt::AlignRight,
                             QString::number(block.blockNumber() + 1));
        }
        top += height;
    }
}

void FormulaEditor::UpdateMargins() {
    const int bottom = errors_.empty() ? 0 : errorLine_->sizeHint().height();
    setViewportMargins(LineNumberWidth(), 0, 0, bottom);
    LayoutMargins();
}

void FormulaEditor::LayoutMargins() {
    const QRect r = contentsRect();
    const int bottom = errors_.empty() ? 0 : errorLine_->sizeHint().height();
    lineNumbers_->setGeometry(r.left(), r.top(), LineNumberWidth(), r.height() - bottom);
    errorLine_->setGeometry(r.left(), r.bottom() + 1 - bottom, r.width(), bottom);
    errorLine_->setVisible(bottom > 0);
}

void FormulaEditor::resizeEvent(QResizeEvent* e) {
    QPlainTextEdit::resizeEvent(e);
    LayoutMargins();
}

int FormulaEditor::PositionOf(int line, int column) const {
    const QTextBlock block = document()->findBlockByNumber(std::max(0, line - 1));
    if (!block.isValid()) return static_cast<int>(document()->characterCount()) - 1;
    const Utf8Text text(block.text());
    return block.position() + text.Position(static_cast<std::size_t>(std::max(0, column - 1)));
}

void FormulaEditor::CheckNow() {
    checkTimer_->stop();
    ShowErrors(CheckFormula(FormulaFromEditor(toPlainText())));
}

void FormulaEditor::ShowRunErrors(const std::vector<FormulaDiagnostic>& errors) {
    if (errors.empty())
        CheckNow();
    else
        ShowErrors(errors);
}

void FormulaEditor::ShowErrors(const std::vector<FormulaDiagnostic>& errors) {
    errors_.clear();
    // A run over many stocks repeats the same error for each.
    for (const FormulaDiagnostic& e : errors) {
        const bool seen = std::any_of(errors_.begin(), errors_.end(), [&](const auto& o) {
            return o.begin == e.begin && o.end == e.end && o.message == e.message;
        });
        if (!seen) errors_.push_back(e);
    }
    if (errors_.empty()) {
        errorLine_->clear();
    } else {
        const FormulaDiagnostic& first = errors_.front();
        QString text = QStringLiteral("Line %1, column %2: %3")
                           .arg(first.line)
                           .arg(first.column)
                           .arg(QString::fromStdString(first.message));
        if (errors_.size() > 1) text += QStringLiteral("  (%1 errors)").arg(errors_.size());
        errorLine_->setText(text);
    }
    UpdateMargins();
    UpdateExtraSelections();
}

QString FormulaEditor::ErrorLine() const {
    return errorLine_->text();
}

QString FormulaEditor::ErrorAt(int position) const {
    for (const FormulaDiagnostic& e : errors_) {
        const int from = PositionOf(e.line, e.column);
        const int to = std::max(from + 1, PositionOf(e.endLine, e.endColumn));
        if (position >= from && position < to) return QString::fromStdString(e.message);
    }
    return {};
}

void FormulaEditor::UpdateExtraSelections() {
    QList<QTextEdit::ExtraSelection> selections;
    const int last = static_cast<int>(document()->characterCount()) - 1;
    for (const FormulaDiagnostic& e : errors_) {
        int from = PositionOf(e.line, e.column);
        int to = PositionOf(e.endLine, e.endColumn);
        // An error at the end of the text marks the character before it.
        if (to <= from) {
            to = std::min(from + 1, last);
            from = std::max(0, to - 1);
        }
        QTextEdit::ExtraSelection s;
        s.cursor = QTextCursor(document());
        s.cursor.setPosition(from);
        s.cursor.setPosition(to, QTextCursor::KeepAnchor);
        s.format.setUnderlineStyle(QTextCharFormat::SpellCheckUnderline);
        s.format.setUnderlineColor(Qt::red);
        s.format.setToolTip(QString::fromStdString(e.message));
        selections.append(s);
    }
    // The parenthesis at (or just before) the cursor and its partner.
    const Utf8Text text(toPlainText());
    const int cursor = textCursor().position();
    for (const int at : {cursor, cursor - 1}) {
        if (at < 0 || at >= text.positionOfByte.back()) continue;
        const QChar c = document()->characterAt(at);
        if (c != QLatin1Char('(') && c != QLatin1Char(')')) continue;
        const auto match = MatchingParenthesis(text.View(), text.ByteOf(at));
        const QColor colour = match ? QColor(0xb0, 0xf0, 0xb0) : QColor(0xff, 0xc0, 0xc0);
        for (const int p : {at, match ? text.Position(*match) : -1}) {
            if (p < 0) continue;
            QTextEdit::ExtraSelection s;
            s.cursor = QTextCursor(document());
            s.cursor.setPosition(p);
            s.cursor.setPosition(p + 1, QTextCursor::KeepAnchor);
            s.format.setBackground(colour);
            selections.append(s);
        }
        break;
    }
    setExtraSelections(selections);
}

void FormulaEditor::UpdateCallHint() {
    const Utf8Text text(toPlainText());
    const auto call = CallAt(text.View(), text.ByteOf(textCursor().position()));
    const FunctionHelp* help = call ? FindFunctionHelp(call->function) : nullptr;
    const QString hint = help ? HintText(*help, call->argument) : QString();
    if (hint == hint_) return;
    hint_ = hint;
    if (hint_.isEmpty()) {
        QToolTip::hideText();
    } else if (hasFocus()) {
        QToolTip::showText(mapToGlobal(cursorRect().bottomLeft() + viewport()->pos()), hint_, this);
    }
}

QString FormulaEditor::FunctionAtCursor() const {
    const QString text = toPlainText();
    int begin = textCursor().position(), end = begin;
    while (begin > 0 && IsWordChar(text.at(begin - 1))) --begin;
    while (end < text.size() && IsWordChar(text.at(end))) ++end;
    QString word = text.mid(begin, end - begin);
    if (FindFunctionHelp(word.toStdString()) != nullptr) return word;
    // Within the arguments of a call: that call's function.
    const Utf8Text bytes(text);
    const auto call = CallAt(bytes.View(), bytes.ByteOf(textCursor().position()));
    return call ? QString::fromStdString(call->function) : QString();
}

void FormulaEditor::Complete(bool forced) {
    const QString text = toPlainText();
    const int cursor = textCursor().position();
    int begin = cursor;
    while (begin > 0 && IsWordChar(text.at(begin - 1))) --begin;
    const QString prefix = text.mid(begin, cursor - begin);
    const bool word = !prefix.isEmpty() && prefix.at(0).isLetter();
    std::vector<std::string> words;
    if (word && (forced || prefix.size() >= 2)) words = CompletionsFor(prefix.toStdString());
    if (words.empty() || (words.size() == 1 && prefix.compare(QString::fromStdString(words[0]),
                                                              Qt::CaseInsensitive) == 0)) {
        completer_->popup()->hide();
        return;
    }
    QStringList list;
    for (const std::string& w : words) list << QString::fromStdString(w);
    static_cast<QStringListModel*>(completer_->model())->setStringList(list);
    completer_->setCompletionPrefix(prefix);
    completer_->popup()->setCurrentIndex(completer_->completionModel()->index(0, 0));
    QRect rect = cursorRect();
    rect.translate(viewport()->pos());
    rect.setWidth(completer_->popup()->sizeHintForColumn(0) +
                  completer_->popup()->verticalScrollBar()->sizeHint().width());
    completer_->complete(rect);
}

void FormulaEditor::InsertCompletion(const QString& word) {
    QTextCursor cursor = textCursor();
    const QString text = toPlainText();
    int begin = cursor.position();
    while (begin > 0 && IsWordChar(text.at(begin - 1))) --begin;
    cursor.setPosition(begin, QTextCursor::KeepAnchor);
    cursor.insertText(word);
    setTextCursor(cursor);
}

void FormulaEditor::keyPressEvent(QKeyEvent* e) {
    if (completer_->popup()->isVisible()) {
        switch (e->key()) {
            case Qt::Key_Enter:
            case Qt::Key_Return:
            case Qt::Key_Escape:
            case Qt::Key_Tab:
            case Qt::Key_Backtab:
                e->ignore();  // the completer takes them
                return;
            default:
                break;
        }
    }
    if (e->key() == Qt::Key_F1) {
        const QString function = FunctionAtCursor();
        if (!function.isEmpty()) ShowReference(function);
        return;
    }
    const bool forced = e->key() == Qt::Key_Space && (e->modifiers() & Qt::ControlModifier);
    if (!forced) QPlainTextEdit::keyPressEvent(e);
    const QString typed = e->text();
    if (forced || (!typed.isEmpty() && IsWordChar(typed.back()))) {
        Complete(forced);
    } else if (completer_->popup()->isVisible()) {
        completer_->popup()->hide();
    }
}

bool FormulaEditor::event(QEvent* e) {
    if (e->type() == QEvent::ToolTip) {
        auto* help = static_cast<QHelpEvent*>(e);
        const QPoint inViewport = help->pos() - viewport()->pos();
        const QString message = ErrorAt(cursorForPosition(inViewport).position());
        if (message.isEmpty())
            QToolTip::hideText();
        else
            QToolTip::showText(help->globalPos(), message, this);
        return true;
    }
    return QPlainTextEdit::event(e);
}

void FormulaEditor::ShowReference(const QString& function) {
    if (!reference_) {
        reference_ = new QTextBrowser(this);
        reference_->setWindowFlag(Qt::Window);
        reference_->setAttribute(Qt::WA_DeleteOnClose);
        reference_->setWindowTitle(QStringLiteral("QRX functions"));
        QString html;
        for (const FunctionHelp& help : FunctionHelpTable()) {
            // The entry's lines after its first, which the heading and summary say.
            const std::string entry = FunctionEntry(help);
            html += QStringLiteral("<h3><a name=\"%1\">%2</a></h3><p>%3</p><pre>%4</pre>")
                        .arg(QString::fromLatin1(help.name), Escaped(FunctionSignature(help)),
                             Escaped(help.summary), Escaped(entry.substr(entry.find('\n') + 1)));
        }
        reference_->setHtml(html);
        reference_->resize(560, 480);
    }
    reference_->show();
    reference_->raise();
    reference_->scrollToAnchor(function.toLower());
}

}  // namespace velmora::gui
