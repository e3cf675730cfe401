#include "gui/dialogs/QuotationEditorWindow.h"

#include <QDateEdit>
#include <QFontMetrics>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QTreeWidget>
#include <QVBoxLayout>
#include <algorithm>
#include <array>

#include "gui/FormFields.h"
#include "gui/GuiContext.h"
#include "gui/QtUserInterface.h"

namespace velmora::gui {

QuotationEditorWindow::QuotationEditorWindow(GuiContext& context, QWidget* parent)
    : QWidget(parent, Qt::Window), context_(context), editor_(context.Services().db) {
    setObjectName(QStringLiteral("QuotationEditorWindow"));
    setWindowTitle(QStringLiteral("Quotations editor"));
    editor_.SetChangedHandler([this] { context_.RefreshCharts(0); });

    currentMode_ = new QRadioButton(QStringLiteral("Current stock/all quotes"), this);
    singleMode_ = new QRadioButton(QStringLiteral("All stocks/single quote"), this);
    currentMode_->setChecked(true);
    date_ = new QDateEdit(this);
    date_->setDateRange(QDate(1951, 1, 1), QDate(2050, 12, 31));
    date_->setDisplayFormat(QStringLiteral("yyyy-MM-dd"));
    date_->setCalendarPopup(true);
    auto* modes = new QHBoxLayout;
    modes->addWidget(currentMode_);
    modes->addWidget(singleMode_);
    modes->addStretch(1);
    modes->addWidget(date_);

    list_ = new QTreeWidget(this);
    list_->setRootIsDecorated(false);
    list_->setUniformRowHeights(true);
    list_->setSelectionMode(QAbstractItemView::SingleSelection);
    list_->setSelectionBehavior(QAbstractItemView::SelectRows);
    list_->setAlternatingRowColors(true);
    list_->setColumnCount(QuotationEditorRow::kColumnCount);
    QStringList headers;
    // Dialog units: a quarter of the average character width.
    const int unit = QFontMetrics(font()).averageCharWidth();
    for (int c = 0; c < QuotationEditorRow::kColumnCount; ++c) {
        const QuotationEditorColumn& column = kQuotationEditorColumns[static_cast<std::size_t>(c)];
        headers << QString::fromLatin1(column.Title);
        list_->setColumnWidth(c, column.Width * unit / 4);
    }
    list_->setHeaderLabels(headers);
    FitColumnsToTitles(list_->header());

    auto* edits = new QGridLayout;
    // Each field holds its column's usual text whole, in any font: a ticker of up to 8
    // characters, a yy-mm-dd date, prices and counts of up to 9 and 10 digits.
    constexpr std::array<int, QuotationEditorRow::kColumnCount> kFieldDigits = {8, 8, 9,  9,
                                                                                9, 9, 10, 10};
    for (int c = 0; c < QuotationEditorRow::kColumnCount; ++c) {
        auto* edit = new QLineEdit(this);
        fields_[static_cast<std::size_t>(c)] = edit;
        // A line edit's size hint is 17 'x' wide plus its frame and margins.
        const QFontMetrics metrics(edit->font());
        const int margins =
            edit->sizeHint().width() - 17 * metrics.horizontalAdvance(QLatin1Char('x'));
        edit->setMinimumWidth(margins +
                              metrics.horizontalAdvance(QString(
                                  kFieldDigits[static_cast<std::size_t>(c)], QLatin1Char('0'))));
        edits->addWidget(new QLabel(headers[c], this), 0, c);
        edits->addWidget(edit, 1, c);
        connect(edit, &QLineEdit::textChanged, this, [this] {
            if (!filling_) ReadFields();
        });
        connect(edit, &QLineEdit::returnPressed, this, &QuotationEditorWindow::Apply);
    }
    auto* apply = new QPushButton(QStringLiteral("Apply"), this);
    edits->addWidget(apply, 1, QuotationEditorRow::kColumnCount);

    auto* layout = new QVBoxLayout(this);
    layout->addLayout(modes);
    layout->addWidget(list_, 1);
    layout->addLayout(edits);
    resize(std::max(720, layout->minimumSize().width()), 480);

    connect(currentMode_, &QRadioButton::clicked, this,
            [this] { SetMode(QuotationEditorMode::CurrentStock); });
    connect(singleMode_, &QRadioButton::clicked, this,
            [this] { SetMode(QuotationEditorMode::SingleQuote); });
    connect(date_, &QDateEdit::dateChanged, this, [this](const QDate& d) {
        if (filling_) return;
        // The row being edited is left: its edits are stored before the list changes.
        editor_.SelectRow(-1);
        editor_.SetPickedDate(MakeDate(d.year(), d.month(), d.day()));
        Fill();
    });
    connect(list_, &QTreeWidget::currentItemChanged, this, [this] {
        if (!filling_) RowChanged();
    });
    connect(apply, &QPushButton::clicked, this, &QuotationEditorWindow::Apply);
    // Stocks were added, removed or renamed, or another workspace was opened: the rows are
    // read again (in the same mode and date), for the current stock of now. Edits not yet
    // stored are dropped, as they may belong to a workspace that is gone.
    connect(&context_, &GuiContext::stockTreeRebuildRequested, this, [this] {
        if (!isVisible()) return;
        editor_.Load(context_.CurrentStock(), editor_.PickedDate());
        Fill();
    });
    Reload();
}

void QuotationEditorWindow::Reload() {
    PackedDate picked = kNoDate;
    if (const auto& text = context_.Maintenance().PickedDate()) picked = TextToDate(*text);
    const Stock* current = context_.CurrentStock();
    if (picked == kNoDate && current != nullptr && !current->Quotations.empty()) {
        picked = current->Quotations.back().Date;
    }
    if (picked == kNoDate) {
        const QDate today = QDate::currentDate();
        picked = MakeDate(today.year(), today.month(), today.day());
    }
    editor_.SelectRow(-1);
    editor_.Load(current, picked);
    Fill();
}

void QuotationEditorWindow::SetMode(QuotationEditorMode mode) {
    editor_.SetMode(mode);
    Fill();
}

void QuotationEditorWindow::Fill() {
    filling_ = true;
    const bool single = editor_.Mode() == QuotationEditorMode::SingleQuote;
    currentMode_->setChecked(!single);
    singleMode_->setChecked(single);
    date_->setEnabled(editor_.DatePickerEnabled());
    // No picked date leaves the picker as it is.
    const QDate picked = ToQDate(editor_.PickedDate(), QDate());
    if (picked.isValid()) date_->setDate(picked);
    list_->clear();
    QList<QTreeWidgetItem*> items;
    for (const QuotationEditorRow& row : editor_.Rows()) {
        QStringList cells;
        for (const std::string& cell : row.Cells) cells << ToQString(cell);
        items << new QTreeWidgetItem(cells);
    }
    list_->addTopLevelItems(items);
    if (const int row = editor_.SelectedRow(); row >= 0) {
        list_->setCurrentItem(list_->topLevelItem(row));
    }
    filling_ = false;
    ShowFields();
}

void QuotationEditorWindow::WriteRow(int row) {
    if (row < 0 || row >= static_cast<int>(editor_.Rows().size())) return;
    QTreeWidgetItem* item = list_->topLevelItem(row);
    if (item == nullptr) return;
    const auto& cells = editor_.Rows()[static_cast<std::size_t>(row)].Cells;
    for (int c = 0; c < QuotationEditorRow::kColumnCount; ++c) {
        item->setText(c, ToQString(cells[static_cast<std::size_t>(c)]));
    }
}

void QuotationEditorWindow::ShowFields() {
    filling_ = true;
    const int row = editor_.SelectedRow();
    const bool any = row >= 0 && row < static_cast<int>(editor_.Rows().size());
    for (int c = 0; c < QuotationEditorRow::kColumnCount; ++c) {
        QLineEdit* edit = fields_[static_cast<std::size_t>(c)];
        edit->setText(any ? ToQString(editor_.Rows()[static_cast<std::size_t>(row)]
                                          .Cells[static_cast<std::size_t>(c)])
                          : QString());
        edit->setEnabled(any);
    }
    filling_ = false;
}

void QuotationEditorWindow::ReadFields() {
    if (editor_.SelectedRow() < 0) return;
    QuotationEditorRow row;
    for (int c = 0; c < QuotationEditorRow::kColumnCount; ++c) {
        row.Cells[static_cast<std::size_t>(c)] =
            fields_[static_cast<std::size_t>(c)]->text().trimmed().toStdString();
    }
    editor_.Fields() = ReadEditFields(row);
}

void QuotationEditorWindow::RowChanged() {
    const int left = editor_.SelectedRow();
    editor_.SelectRow(list_->indexOfTopLevelItem(list_->currentItem()));
    WriteRow(left);
    ShowFields();
}

void QuotationEditorWindow::Apply() {
    const int row = editor_.SelectedRow();
    if (row < 0) return;
    ReadFields();
    editor_.SelectRow(-1);
    WriteRow(row);
    editor_.SelectRow(row);
    ShowFields();
}

QuotationEditorWindow* ShowQuotationEditor(GuiContext& context, QWidget* parent) {
    QuotationEditorWindow* window =
        parent != nullptr ? parent->findChild<QuotationEditorWindow*>(
                                QStringLiteral("QuotationEditorWindow"), Qt::FindDirectChildrenOnly)
                          : nullptr;
    if (window == nullptr) {
        window = new QuotationEditorWindow(context, parent);
        // Without an owner the window goes when it is closed.
        if (parent == nullptr) window->setAttribute(Qt::WA_DeleteOnClose);
    } else {
        window->Reload();
    }
    window->show();
    window->raise();
    window->activateWindow();
    return window;
}

}  // namespace velmora::gui
