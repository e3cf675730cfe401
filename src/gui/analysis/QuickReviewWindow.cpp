#include "gui/analysis/QuickReviewWindow.h"

#include <QComboBox>
#include <QDateEdit>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QPushButton>
#include <QTableWidget>
#include <QVBoxLayout>

#include "analysis/ResultList.h"
#include "chart/Commentary.h"
#include "gui/FormFields.h"
#include "gui/GuiContext.h"
#include "gui/QtUserInterface.h"
#include "gui/chart/ChartWindow.h"
#include "gui/dialogs/FilterSettingsDialog.h"

namespace velmora::gui {

QuickReviewWindow::QuickReviewWindow(GuiContext& context, PackedDate day, QWidget* parent)
    : QWidget(parent, Qt::Window), context_(context), review_(context.Services().db) {
    setWindowTitle(QString::fromLatin1(kQuickReviewCaption));
    editFilter = [this](StockFilter& filter) {
        return EditStockFilter(filter, context_.Services().db.Categories(), this);
    };
    auto* layout = new QVBoxLayout(this);
    auto* top = new QHBoxLayout;
    auto* form = new QFormLayout;
    type_ = new QComboBox(this);
    for (int i = 0; i < kReviewTypeCount; ++i)
        type_->addItem(QString::fromLatin1(QuickReview::TypeName(i)));
    date_ = MakeDateEdit(ToQDate(day), this);
    form->addRow(QStringLiteral("Review type:"), type_);
    form->addRow(QStringLiteral("Date:"), date_);
    top->addLayout(form, 1);
    auto* filter = new QPushButton(QStringLiteral("Filter..."), this);
    top->addWidget(filter, 0, Qt::AlignTop);
    layout->addLayout(top);

    table_ = new QTableWidget(this);
    table_->setSelectionBehavior(QAbstractItemView::SelectRows);
    table_->setSelectionMode(QAbstractItemView::SingleSelection);
    table_->setEditTriggers(QAbstractItemView::NoEditTriggers);
    table_->setShowGrid(true);
    table_->verticalHeader()->hide();
    layout->addWidget(table_, 1);

    review_.Open(FromQDate(date_->date()));
    ShowRows();

    connect(type_, &QComboBox::currentIndexChanged, this, [this](int index) {
        if (index < 0) return;
        review_.SetType(index);
        ShowRows();
    });
    connect(date_, &QDateEdit::dateChanged, this, [this](const QDate& d) {
        review_.SetDay(FromQDate(d));
        ShowRows();
    });
    connect(filter, &QPushButton::clicked, this, &QuickReviewWindow::DefineFilter);
    connect(table_, &QTableWidget::cellDoubleClicked, this,
            [this](int row, int) { ShowRowStock(row); });
    resize(560, 480);
}

void QuickReviewWindow::ShowRows() {
    const std::vector<ReviewColumn>& columns = QuickReview::Columns(review_.Type());
    table_->clear();
    table_->setRowCount(0);
    table_->setColumnCount(static_cast<int>(columns.size()));
    for (int c = 0; c < static_cast<int>(columns.size()); ++c) {
        const ReviewColumn& column = columns[static_cast<std::size_t>(c)];
        auto* header = new QTableWidgetItem(QString::fromLatin1(column.Title));
        header->setTextAlignment(column.LeftAligned ? Qt::AlignLeft | Qt::AlignVCenter
                                                    : Qt::AlignRight | Qt::AlignVCenter);
        table_->setHorizontalHeaderItem(c, header);
        table_->setColumnWidth(c, column.Width);
    }
    FitColumnsToTitles(table_->horizontalHeader());
    const ReviewList& rows = review_.Rows();
    table_->setRowCount(static_cast<int>(rows.Size()));
    for (int r = 0; r < static_cast<int>(rows.Size()); ++r) {
        const std::vector<std::string_view> cells =
            SplitColumns(rows[static_cast<std::size_t>(r)].Text);
        for (int c = 0; c < static_cast<int>(columns.size()); ++c) {
            const QString text = static_cast<std::size_t>(c) < cells.size()
                                     ? ToQString(cells[static_cast<std::size_t>(c)]).trimmed()
                                     : QString();
            auto* item = new QTableWidgetItem(text);
            item->setTextAlignment(columns[static_cast<std::size_t>(c)].LeftAligned
                                       ? Qt::AlignLeft | Qt::AlignVCenter
                                       : Qt::AlignRight | Qt::AlignVCenter);
            table_->setItem(r, c, item);
        }
    }
    FitColumnsToCells(*table_, table_->horizontalHeader());
    if (const Status& history = review_.HistoryStatus(); !history) {
        context_.Services().ui.ShowMessage(history.ToString());
    }
}

void QuickReviewWindow::DefineFilter() {
    StockFilter filter = review_.Filter();
    if (!editFilter || !editFilter(filter)) return;
    review_.SetFilter(filter);
    ShowRows();
}

void QuickReviewWindow::ShowRowStock(int row) {
    if (row < 0 || row >= static_cast<int>(review_.Rows().Size())) return;
    const std::string ticker =
        QuickReview::RowTicker(review_.Rows()[static_cast<std::size_t>(row)]);
    if (ticker.empty()) return;
    if (Stock* stock = context_.Services().db.FindStock(ticker))
        context_.MakeCurrent(stock, kChosenStockFlags);
}

PackedDate ReviewStartDay(GuiContext& context) {
    const PackedDate today = FromQDate(QDate::currentDate());
    auto* chart = qobject_cast<ChartWindow*>(context.ActiveChart());
    if (chart == nullptr) return today;
    const ChartWindowModel& model = chart->Model();
    bool pricePane = false;
    for (int i = 0; i < model.PaneCount(); ++i)
        if (model.Pane(i).chartId == kPriceChartId) pricePane = true;
    const Stock* shown = chart->ShownStock();
    if (!pricePane || shown == nullptr || shown->Quotations.empty()) return today;
    const int bars = static_cast<int>(shown->Quotations.size());
    const int selected = chart->CommentaryInput().selectedBar;
    const int bar = selected >= 0 && selected < bars ? selected : bars - 1;
    return shown->Quotations[static_cast<std::size_t>(bar)].Date;
}

QuickReviewWindow* ShowQuickReviewWindow(GuiContext& context, QWidget* mainWindow) {
    const PackedDate day = ReviewStartDay(context);
    auto* window = mainWindow ? mainWindow->findChild<QuickReviewWindow*>() : nullptr;
    if (window == nullptr) {
        window = new QuickReviewWindow(context, day, mainWindow);
    } else {
        // Opening again starts over on the quotes of the start day.
        QSignalBlocker blockType(window->TypeBox());
        QSignalBlocker blockDate(window->DateEdit());
        window->TypeBox()->setCurrentIndex(0);
        window->DateEdit()->setDate(ToQDate(day));
        window->Model().Open(day);
        window->ShowRows();
    }
    window->show();
    window->raise();
    window->activateWindow();
    return window;
}

}  // namespace velmora::gui
