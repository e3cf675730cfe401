#include "gui/dialogs/CommentaryWindow.h"

#include <QFileDialog>
#include <QHBoxLayout>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTabWidget>
#include <QVBoxLayout>

#include "formula/FormulaFile.h"
#include "gui/GuiContext.h"
#include "gui/chart/ChartWindow.h"
#include "gui/dialogs/FormulaText.h"

namespace velmora::gui {

CommentaryWindow::CommentaryWindow(GuiContext& context, QWidget* parent)
    : QWidget(parent, Qt::Window), context_(context) {
    setWindowTitle(QString::fromLatin1(kCommentaryCaption));
    auto* layout = new QVBoxLayout(this);
    tabs_ = new QTabWidget(this);
    output_ = new QPlainTextEdit(tabs_);
    output_->setReadOnly(true);
    formula_ = new FormulaEditor(tabs_);
    tabs_->addTab(output_, QStringLiteral("Commentary "));
    tabs_->addTab(formula_, QStringLiteral("Formula "));
    layout->addWidget(tabs_, 1);

    auto* buttons = new QHBoxLayout;
    auto* close = new QPushButton(QStringLiteral("Close"), this);
    auto* refresh = new QPushButton(QStringLiteral("Refresh"), this);
    auto* load = new QPushButton(QStringLiteral("Load"), this);
    auto* save = new QPushButton(QStringLiteral("Save"), this);
    buttons->addStretch(1);
    for (QPushButton* b : {close, refresh, load, save}) buttons->addWidget(b);
    layout->addLayout(buttons);
    connect(close, &QPushButton::clicked, this, &QWidget::close);
    connect(refresh, &QPushButton::clicked, this, &CommentaryWindow::Refresh);
    connect(load, &QPushButton::clicked, this, &CommentaryWindow::LoadFormula);
    connect(save, &QPushButton::clicked, this, &CommentaryWindow::SaveFormula);
    connect(tabs_, &QTabWidget::currentChanged, this, [this](int index) {
        if (index == 0) Refresh();
    });
    // The chart windows' refresh (a new current stock, new data) runs the commentary again,
    // once the sender has finished.
    connect(&context_, &GuiContext::chartsRefreshRequested, this, &CommentaryWindow::Refresh,
            Qt::QueuedConnection);
    resize(480, 360);
}

CommentarySource CommentaryWindow::Source() {
    if (auto* chart = qobject_cast<ChartWindow*>(context_.ActiveChart()))
        return chart->CommentaryInput();
    CommentarySource source;
    source.stock = context_.CurrentStock();
    return source;
}

void CommentaryWindow::ShowOutput() {
    output_->setPlainText(FormulaForEditor(commentary_.Output()));
}

void CommentaryWindow::Refresh() {
    commentary_.SetFormula(FormulaFromEditor(formula_->toPlainText()));
    const CommentarySource source = Source();
    const auto sendHint = [this, &source](const HintData& hint) {
        context_.SendFormulaHint(hint, source.periodicity);
    };
    FormulaEngine& engine = context_.Services().engine;
    if (commentary_.Run(engine, source, sendHint)) {
        ShowOutput();
        formula_->ShowRunErrors(engine.Diagnostics());
    }
}

bool CommentaryWindow::LoadFrom(const std::filesystem::path& path) {
    const CommentarySource source = Source();
    const auto sendHint = [this, &source](const HintData& hint) {
        context_.SendFormulaHint(hint, source.periodicity);
    };
    if (!commentary_.Load(path, context_.Services().engine, source, sendHint)) return false;
    formula_->setPlainText(FormulaForEditor(commentary_.Formula()));
    ShowOutput();
    return true;
}

bool CommentaryWindow::SaveTo(const std::filesystem::path& path) {
    commentary_.SetFormula(FormulaFromEditor(formula_->toPlainText()));
    return commentary_.Save(path);
}

void CommentaryWindow::LoadFormula() {
    SettingsStore& settings = context_.Services().settings;
    const QString file = QFileDialog::getOpenFileName(
        this, QStringLiteral("Load"), FormulaFolder(settings), kFormulaFileDialogFilter);
    if (file.isEmpty()) return;
    RememberFormulaFileFolder(settings, file.toStdString());
    LoadFrom(file.toStdString());
}

void CommentaryWindow::SaveFormula() {
    SettingsStore& settings = context_.Services().settings;
    const QString file = QFileDialog::getSaveFileName(
        this, QStringLiteral("Save"), FormulaFolder(settings), kFormulaFileDialogFilter);
    if (file.isEmpty()) return;
    RememberFormulaFileFolder(settings, file.toStdString());
    SaveTo(WithFormulaExtension(file.toStdString()));
}

CommentaryWindow* ShowCommentaryWindow(GuiContext& context, QWidget* parent) {
    auto* window = new CommentaryWindow(context, parent);
    window->setAttribute(Qt::WA_DeleteOnClose);
    window->show();
    window->Refresh();
    return window;
}

}  // namespace velmora::gui
