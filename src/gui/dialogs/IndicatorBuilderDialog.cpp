#include "gui/dialogs/IndicatorBuilderDialog.h"

#include <QCheckBox>
#include <QDoubleValidator>
#include <QFileDialog>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QTreeWidget>
#include <QVBoxLayout>

#include "formula/FormulaFile.h"
#include "gui/GuiContext.h"
#include "gui/QtUserInterface.h"
#include "gui/dialogs/FormulaText.h"
#include "platform/PlainText.h"

namespace velmora::gui {

IndicatorBuilderDialog::IndicatorBuilderDialog(ChartTable& table, SettingsStore& settings,
                                               std::function<void()> refreshCharts, QWidget* parent)
    : QDialog(parent), builder_(table, std::move(refreshCharts)), settings_(settings) {
    setWindowTitle(QStringLiteral("Indicator Builder"));
    auto* top = new QHBoxLayout(this);

    list_ = new QTreeWidget(this);
    list_->setColumnCount(1);
    list_->setHeaderLabels({QStringLiteral("Indicator name")});
    list_->setColumnWidth(0, 150);
    list_->setRootIsDecorated(false);
    list_->setEditTriggers(QAbstractItemView::EditKeyPressed | QAbstractItemView::SelectedClicked |
                           QAbstractItemView::DoubleClicked);
    list_->setMinimumWidth(170);
    top->addWidget(list_);

    auto* right = new QVBoxLayout;
    formula_ = new FormulaEditor(this);
    formula_->setMinimumSize(360, 160);
    right->addWidget(formula_, 1);

    auto* scaling = new QGroupBox(QStringLiteral("Scaling"), this);
    auto* scalingLayout = new QHBoxLayout(scaling);
    automatic_ = new QRadioButton(QStringLiteral("Automatic"), scaling);
    custom_ = new QRadioButton(QStringLiteral("Custom"), scaling);
    min_ = new QLineEdit(scaling);
    max_ = new QLineEdit(scaling);
    min_->setValidator(new QDoubleValidator(min_));
    max_->setValidator(new QDoubleValidator(max_));
    scalingLayout->addWidget(automatic_);
    scalingLayout->addWidget(custom_);
    scalingLayout->addWidget(new QLabel(QStringLiteral("Min:"), scaling));
    scalingLayout->addWidget(min_);
    scalingLayout->addWidget(new QLabel(QStringLiteral("Max:"), scaling));
    scalingLayout->addWidget(max_);
    right->addWidget(scaling);
    connect(custom_, &QRadioButton::toggled, this, [this](bool on) {
        min_->setEnabled(on);
        max_->setEnabled(on);
    });

    auto* grid = new QGroupBox(QStringLiteral("Grid lines"), this);
    auto* gridLayout = new QGridLayout(grid);
    const auto& boxes = GridLineBoxes();
    for (std::size_t i = 0; i < boxes.size(); ++i) {
        grid_[i] = new QCheckBox(QString::fromLatin1(boxes[i].caption), grid);
        gridLayout->addWidget(grid_[i], static_cast<int>(i / 3), static_cast<int>(i % 3));
    }
    right->addWidget(grid);

    auto* buttons = new QHBoxLayout;
    auto* apply = new QPushButton(QStringLiteral("Apply"), this);
    auto* close = new QPushButton(QStringLiteral("Close"), this);
    auto* load = new QPushButton(QStringLiteral("Load formula"), this);
    auto* save = new QPushButton(QStringLiteral("Save formula"), this);
    for (QPushButton* b : {apply, close, load, save}) {
        b->setAutoDefault(false);
        buttons->addWidget(b);
    }
    right->addLayout(buttons);
    top->addLayout(right, 1);
    connect(apply, &QPushButton::clicked, this, &IndicatorBuilderDialog::Apply);
    connect(close, &QPushButton::clicked, this, &QDialog::accept);
    connect(load, &QPushButton::clicked, this, &IndicatorBuilderDialog::LoadFormula);
    connect(save, &QPushButton::clicked, this, &IndicatorBuilderDialog::SaveFormula);

    filling_ = true;
    const auto names = builder_.Names();
    for (const auto& name : names) {
        auto* item = new QTreeWidgetItem(list_, {QString::fromStdString(name)});
        item->setFlags(item->flags() | Qt::ItemIsEditable);
    }
    if (builder_.Selection() >= 0) list_->setCurrentItem(list_->topLevelItem(builder_.Selection()));
    filling_ = false;
    ShowFields();
    connect(list_, &QTreeWidget::currentItemChanged, this,
            [this](QTreeWidgetItem* current, QTreeWidgetItem*) { CurrentRowChanged(current); });
    connect(list_, &QTreeWidget::itemChanged, this,
            [this](QTreeWidgetItem* item, int) { ItemRenamed(item); });
}

void IndicatorBuilderDialog::ReadWidgets() {
    IndicatorFields& f = builder_.Fields();
    f.formula = FormulaFromEditor(formula_->toPlainText());
    f.automatic = automatic_->isChecked();
    bool ok = false;
    const float lo = min_->text().trimmed().toFloat(&ok);
    if (ok) f.scaleMin = lo;
    const float hi = max_->text().trimmed().toFloat(&ok);
    if (ok) f.scaleMax = hi;
    for (int i = 0; i < static_cast<int>(grid_.size()); ++i)
        builder_.SetGridBox(i, grid_[static_cast<std::size_t>(i)]->isChecked());
}

void IndicatorBuilderDialog::ShowFields() {
    const bool any = builder_.Selection() >= 0;
    const IndicatorFields& f = builder_.Fields();
    formula_->setPlainText(FormulaForEditor(f.formula));
    automatic_->setChecked(f.automatic);
    custom_->setChecked(!f.automatic);
    min_->setText(QString::number(static_cast<double>(f.scaleMin), 'g', 9));
    max_->setText(QString::number(static_cast<double>(f.scaleMax), 'g', 9));
    min_->setEnabled(any && !f.automatic);
    max_->setEnabled(any && !f.automatic);
    for (int i = 0; i < static_cast<int>(grid_.size()); ++i)
        grid_[static_cast<std::size_t>(i)]->setChecked(builder_.GridBoxTicked(i));
    formula_->setEnabled(any);
}

void IndicatorBuilderDialog::CurrentRowChanged(QTreeWidgetItem* current) {
    if (filling_ || current == nullptr) return;
    ReadWidgets();
    builder_.Select(list_->indexOfTopLevelItem(current));
    ShowFields();
}

void IndicatorBuilderDialog::ItemRenamed(QTreeWidgetItem* item) {
    if (filling_) return;
    const int row = list_->indexOfTopLevelItem(item);
    if (row < 0) return;
    // A name with a tab or a line break is refused and the old one comes back; the definition
    // keeps at most 39 bytes of the name: show what it kept.
    const std::string name = item->text(0).toStdString();
    if (const Status plain = CheckPlainText("The indicator name", name); !plain)
        QMessageBox::information(this, kProgramTitle, ToQString(plain.ToString()));
    else
        builder_.Rename(row, name);
    const auto names = builder_.Names();
    filling_ = true;
    if (row < static_cast<int>(names.size()))
        item->setText(0, QString::fromStdString(names[static_cast<std::size_t>(row)]));
    filling_ = false;
}

void IndicatorBuilderDialog::Apply() {
    if (builder_.Selection() < 0) return;
    ReadWidgets();
    builder_.Apply();
    // The chart windows run the formula when they repaint; its errors are marked here at once.
    formula_->CheckNow();
}

bool IndicatorBuilderDialog::LoadFormulaFrom(const std::filesystem::path& path) {
    ReadWidgets();
    const bool ok = builder_.LoadFormula(path);
    ShowFields();
    return ok;
}

bool IndicatorBuilderDialog::SaveFormulaTo(const std::filesystem::path& path) {
    ReadWidgets();
    return builder_.SaveFormula(path);
}

void IndicatorBuilderDialog::LoadFormula() {
    if (builder_.Selection() < 0) return;
    const QString file = QFileDialog::getOpenFileName(
        this, QStringLiteral("Load formula"), FormulaFolder(settings_), kFormulaFileDialogFilter);
    if (file.isEmpty()) return;
    RememberFormulaFileFolder(settings_, file.toStdString());
    LoadFormulaFrom(file.toStdString());
}

void IndicatorBuilderDialog::SaveFormula() {
    if (builder_.Selection() < 0) return;
    const QString file = QFileDialog::getSaveFileName(
        this, QStringLiteral("Save formula"), FormulaFolder(settings_), kFormulaFileDialogFilter);
    if (file.isEmpty()) return;
    RememberFormulaFileFolder(settings_, file.toStdString());
    SaveFormulaTo(WithFormulaExtension(file.toStdString()));
}

void ShowIndicatorBuilder(GuiContext& context, QWidget* parent) {
    IndicatorBuilderDialog dialog(
        context.Services().charts, context.Services().settings,
        [&context] { context.RefreshCharts(0); }, parent);
    dialog.exec();
}

}  // namespace velmora::gui
