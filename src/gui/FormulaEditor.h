#pragma once
// The formula editor of the windows that take a QRX formula (the automatic analysis, the
// Indicator Builder, the commentary): a plain text editor with line numbers, colours from the
// formula scanner, the parenthesis matching the one at the cursor, completion of function names
// and words, the arguments of the call the cursor stands in, F1 for a function's entry in the
// reference, and the errors of the formula marked where they are (an underline with the
// message as its tooltip, and the first error in a line under the text). The errors come from
// the checker a moment after each change, and from a window's run (ShowErrors).

#include <QPlainTextEdit>
#include <QPointer>
#include <QString>
#include <QTextBrowser>
#include <vector>

#include "formula/FormulaEngine.h"

class QCompleter;
class QLabel;
class QTimer;

namespace velmora::gui {

class FormulaHighlighter;

class FormulaEditor : public QPlainTextEdit {
    Q_OBJECT
  public:
    // How long the text must rest before the checker runs.
    static constexpr int kCheckDelayMs = 500;

    explicit FormulaEditor(QWidget* parent = nullptr);
    ~FormulaEditor() override;

    // Marks these errors of the editor's text (as FormulaFromEditor gives it to the engine),
    // replacing those shown; none clears the marks.
    void ShowErrors(const std::vector<FormulaDiagnostic>& errors);
    const std::vector<FormulaDiagnostic>& Errors() const { return errors_; }
    // The errors of a window's run of the text (the engine's diagnostics since its flag was
    // cleared); after a run that gave none, the checker's.
    void ShowRunErrors(const std::vector<FormulaDiagnostic>& errors);
    // Runs the checker on the text at once.
    void CheckNow();

    // The line under the text: the first error, or empty.
    QString ErrorLine() const;
    // The message of the error marked at a position of the document, or empty.
    QString ErrorAt(int position) const;
    // The call hint shown for the cursor's position, or empty.
    QString CallHint() const { return hint_; }
    // The function named under or before the cursor, else the function of the call whose
    // arguments the cursor is in; empty when there is none.
    QString FunctionAtCursor() const;
    QCompleter* Completer() const { return completer_; }
    // The reference window of F1 (null until F1 opened it).
    QTextBrowser* Reference() const { return reference_; }
    // Opens the reference at a function's entry.
    void ShowReference(const QString& function);

    // The width of the line numbers.
    int LineNumberWidth() const;
    void PaintLineNumbers(QPaintEvent* event);

  protected:
    void keyPressEvent(QKeyEvent* e) override;
    void resizeEvent(QResizeEvent* e) override;
    bool event(QEvent* e) override;

  private:
    void UpdateMargins();
    void LayoutMargins();
    void UpdateExtraSelections();
    void UpdateCallHint();
    void Complete(bool forced);
    void InsertCompletion(const QString& word);
    // A line and byte column of the formula as a position of the document.
    int PositionOf(int line, int column) const;

    FormulaHighlighter* highlighter_;
    QWidget* lineNumbers_;
    QLabel* errorLine_;
    QCompleter* completer_;
    QTimer* checkTimer_;
    QPointer<QTextBrowser> reference_;
    std::vector<FormulaDiagnostic> errors_;
    QString hint_;
};

}  // namespace velmora::gui
