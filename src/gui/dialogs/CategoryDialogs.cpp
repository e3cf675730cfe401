#include "gui/dialogs/CategoryDialogs.h"

#include <QComboBox>
#include <QDialogButtonBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPainter>
#include <QPixmap>
#include <QPushButton>
#include <QRadioButton>
#include <QTabBar>
#include <QTreeWidget>
#include <QVBoxLayout>

#include "gui/GuiContext.h"
#include "gui/QtUserInterface.h"
#include "platform/PlainText.h"

namespace velmora::gui {

namespace {

using Side = AssignmentsOrganizer::Side;

constexpr CategoryKind kTabKinds[] = {CategoryKind::Markets, CategoryKind::Groups,
                                      CategoryKind::Sectors, CategoryKind::Industries};
constexpr CategoryKind kAssignKinds[] = {CategoryKind::Markets, CategoryKind::Groups,
                                         CategoryKind::Industries};
// The make-current flags after the organizer: rebuild the stock tree and the ticker bar.
constexpr int kRebuildFlags = 17;

// The five row images: a small square in a colour per image index.
QIcon RowIcon(int image) {
    static const QColor colours[] = {Qt::darkBlue, Qt::darkGreen, Qt::darkRed, Qt::darkCyan,
                                     Qt::darkMagenta};
    QPixmap pixmap(12, 12);
    pixmap.fill(Qt::transparent);
    QPainter painter(&pixmap);
    painter.fillRect(2, 2, 8, 8, colours[image >= 0 && image < 5 ? image : 0]);
    return QIcon(pixmap);
}

int TabIndex(CategoryKind kind) {
    for (int i = 0; i < 4; ++i) {
        if (kTabKinds[i] == kind) return i;
    }
    return 0;
}

// The names and settings of every category, as one text to compare.
std::string CategoriesText(const CategoryTables& t) {
    std::string text;
    const auto add = [&text](const auto& field) {
        text.append(field.View());
        text.push_back('\0');
    };
    for (const Market& m : t.Markets) {
        for (const auto* f : {&m.RSBase, &m.BetaBase, &m.CompositesBase}) add(*f);
        add(m.Name);
        add(m.ProfileTemplate);
        add(m.NewsTemplate);
    }
    for (const Group& g : t.Groups) {
        add(g.Name);
        add(g.RSBase);
    }
    for (const Sector& s : t.Sectors) add(s.Name);
    for (const Industry& i : t.Industries) {
        add(i.Name);
        add(i.RSBase);
        text.append(std::to_string(i.SectorID));
    }
    return text;
}

std::string Text(const QComboBox* box) {
    return box->currentText().trimmed().toStdString();
}

}  // namespace

// --- Categories ------------------------------------------------------------------------------

CategoriesDialog::CategoriesDialog(GuiContext& context, QWidget* parent)
    : QDialog(parent), context_(context), editor_(context.Services().db) {
    setWindowTitle(QStringLiteral("Categories"));
    tabs_ = new QTabBar(this);
    for (CategoryKind kind : kTabKinds) tabs_->addTab(QString::fromLatin1(editor_.TabTitle(kind)));
    list_ = new QTreeWidget(this);
    list_->setColumnCount(1);
    list_->setHeaderLabels({QStringLiteral("Name")});
    list_->setColumnWidth(0, 200);
    list_->setRootIsDecorated(false);
    list_->setUniformRowHeights(true);
    list_->setMinimumWidth(230);
    list_->setEditTriggers(QAbstractItemView::EditKeyPressed | QAbstractItemView::SelectedClicked |
                           QAbstractItemView::DoubleClicked);

    auto* editName = new QPushButton(QStringLiteral("Edit name"), this);
    editName->setAutoDefault(false);
    const auto baseBox = [this] {
        auto* box = new QComboBox(this);
        box->setEditable(true);
        box->setInsertPolicy(QComboBox::NoInsert);
        box->lineEdit()->setMaxLength(15);
        return box;
    };
    rsBase_ = baseBox();
    betaBase_ = baseBox();
    compositesBase_ = baseBox();
    profile_ = new QLineEdit(this);
    profile_->setMaxLength(127);
    news_ = new QLineEdit(this);
    news_->setMaxLength(127);
    sector_ = new QComboBox(this);
    auto* grid = new QGridLayout;
    const char* labelTexts[] = {
        "Relative strength:", "Beta:", "Composites:", "Profile:", "News:", "Sector:"};
    QWidget* controls[] = {rsBase_, betaBase_, compositesBase_, profile_, news_, sector_};
    for (int i = 0; i < 6; ++i) {
        labels_[static_cast<std::size_t>(i)] = new QLabel(QString::fromLatin1(labelTexts[i]), this);
        grid->addWidget(labels_[static_cast<std::size_t>(i)], i, 0);
        grid->addWidget(controls[i], i, 1);
    }
    grid->setColumnMinimumWidth(1, 220);
    auto* side = new QVBoxLayout;
    side->addWidget(editName, 0, Qt::AlignLeft);
    side->addLayout(grid);
    side->addStretch(1);
    auto* middle = new QHBoxLayout;
    middle->addWidget(list_, 1);
    middle->addLayout(side);
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(tabs_);
    layout->addLayout(middle, 1);
    layout->addWidget(buttons);
    resize(600, 440);

    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    connect(editName, &QPushButton::clicked, this, &CategoriesDialog::EditName);
    for (QComboBox* box : {rsBase_, betaBase_, compositesBase_}) {
        connect(box, &QComboBox::editTextChanged, this, [this] {
            if (!filling_) ReadControls().IgnoreError();
        });
    }
    for (QLineEdit* edit : {profile_, news_}) {
        connect(edit, &QLineEdit::textChanged, this, [this] {
            if (!filling_) ReadControls().IgnoreError();
        });
    }
    connect(sector_, &QComboBox::currentIndexChanged, this, [this] {
        if (!filling_) ReadControls().IgnoreError();
    });
    connect(list_, &QTreeWidget::currentItemChanged, this, [this](QTreeWidgetItem* item) {
        if (filling_) return;
        if (const Status read = ReadControls(); !read) ShowRefusal(read);
        editor_.SelectRow(list_->indexOfTopLevelItem(item));
        ShowControls();
    });
    connect(list_, &QTreeWidget::itemChanged, this, [this](QTreeWidgetItem* item) {
        if (filling_) return;
        const int row = list_->indexOfTopLevelItem(item);
        const std::string name = item->text(0).toStdString();
        if (const Status plain = CheckPlainText("The name", name); !plain) {
            // The row keeps its former name.
            ShowRefusal(plain);
            filling_ = true;
            if (row >= 0 && row < static_cast<int>(editor_.Names().size()))
                item->setText(0, ToQString(editor_.Names()[static_cast<std::size_t>(row)]));
            filling_ = false;
            return;
        }
        editor_.EditName(row, name);
    });
    connect(tabs_, &QTabBar::currentChanged, this, [this](int index) {
        if (filling_ || index < 0 || index >= 4) return;
        editor_.SetTab(kTabKinds[index]);
        FillList();
    });

    openedWith_ = CategoriesText(context.Services().db.Categories());
    editor_.Open();
    FillList();
}

void CategoriesDialog::FillBaseBox(QComboBox* box) {
    box->clear();
    box->addItem(QString());
    for (const std::string& ticker : editor_.BaseTickerChoices()) box->addItem(ToQString(ticker));
}

void CategoriesDialog::FillList() {
    filling_ = true;
    tabs_->setCurrentIndex(TabIndex(editor_.Tab()));
    list_->clear();
    QList<QTreeWidgetItem*> items;
    const auto& names = editor_.Names();
    for (int i = 0; i < static_cast<int>(names.size()); ++i) {
        auto* item = new QTreeWidgetItem({ToQString(names[static_cast<std::size_t>(i)])});
        item->setFlags(item->flags() | Qt::ItemIsEditable);
        item->setIcon(0, RowIcon(CategoryEditor::RowImage(i)));
        items << item;
    }
    list_->addTopLevelItems(items);
    if (editor_.SelectedRow() >= 0)
        list_->setCurrentItem(list_->topLevelItem(editor_.SelectedRow()));
    for (QComboBox* box : {rsBase_, betaBase_, compositesBase_}) FillBaseBox(box);
    sector_->clear();
    for (const std::string& name : editor_.SectorChoices()) sector_->addItem(ToQString(name));
    // Which controls the tab shows.
    const bool shows[] = {editor_.ShowsRSBase(),         editor_.ShowsMarketSettings(),
                          editor_.ShowsMarketSettings(), editor_.ShowsMarketSettings(),
                          editor_.ShowsMarketSettings(), editor_.ShowsSector()};
    QWidget* controls[] = {rsBase_, betaBase_, compositesBase_, profile_, news_, sector_};
    for (int i = 0; i < 6; ++i) {
        labels_[static_cast<std::size_t>(i)]->setVisible(shows[i]);
        controls[i]->setVisible(shows[i]);
    }
    filling_ = false;
    ShowControls();
}

void CategoriesDialog::ShowControls() {
    filling_ = true;
    const CategorySettings& c = editor_.Controls();
    rsBase_->setEditText(ToQString(c.RSBase));
    betaBase_->setEditText(ToQString(c.BetaBase));
    compositesBase_->setEditText(ToQString(c.CompositesBase));
    profile_->setText(ToQString(c.ProfileTemplate));
    news_->setText(ToQString(c.NewsTemplate));
    sector_->setCurrentIndex(c.SectorID >= 0 && c.SectorID < sector_->count() ? c.SectorID : -1);
    filling_ = false;
}

Status CategoriesDialog::ReadControls() {
    CategorySettings c = editor_.Controls();
    if (editor_.ShowsRSBase()) c.RSBase = Text(rsBase_);
    if (editor_.ShowsMarketSettings()) {
        c.BetaBase = Text(betaBase_);
        c.CompositesBase = Text(compositesBase_);
        c.ProfileTemplate = profile_->text().trimmed().toStdString();
        c.NewsTemplate = news_->text().trimmed().toStdString();
    }
    if (editor_.ShowsSector() && sector_->currentIndex() >= 0) c.SectorID = sector_->currentIndex();
    const std::pair<const char*, const std::string*> texts[] = {
        {"The relative strength base", &c.RSBase},
        {"The beta base", &c.BetaBase},
        {"The composites base", &c.CompositesBase},
        {"The profile address", &c.ProfileTemplate},
        {"The news address", &c.NewsTemplate}};
    for (const auto& [what, text] : texts) {
        if (Status plain = CheckPlainText(what, *text); !plain) return plain;
    }
    editor_.Controls() = std::move(c);
    return Status::Ok();
}

void CategoriesDialog::ShowRefusal(const Status& refusal) {
    context_.Services().ui.ShowMessage(refusal.ToString());
}

void CategoriesDialog::EditName() {
    if (QTreeWidgetItem* item = list_->currentItem()) list_->editItem(item, 0);
}

void CategoriesDialog::reject() {
    editor_.Cancel();
    Database& db = context_.Services().db;
    if (CategoriesText(db.Categories()) != openedWith_) {
        db.SetWorkspaceDirty(true);
        context_.RebuildStockTree(false);
    }
    QDialog::reject();
}

void CategoriesDialog::accept() {
    // A refused text stays in its control for the user to correct.
    if (const Status read = ReadControls(); !read) {
        ShowRefusal(read);
        return;
    }
    editor_.Ok();
    // The tree's market and group nodes take the new names.
    context_.RebuildStockTree(false);
    QDialog::accept();
}

// --- Assignments organizer -------------------------------------------------------------------

AssignmentsOrganizerDialog::AssignmentsOrganizerDialog(GuiContext& context, QWidget* parent)
    : QDialog(parent), context_(context), organizer_(context.Services().db) {
    setWindowTitle(QStringLiteral("Assignments organizer"));
    organizer_.SetClosedHandler([this] {
        Stock* current = context_.CurrentStock();
        context_.MakeCurrent(current, kRebuildFlags);
    });

    auto* kindRow = new QHBoxLayout;
    for (int i = 0; i < 3; ++i) {
        auto* button =
            new QRadioButton(QString::fromLatin1(CategoryEditor::TabTitle(kAssignKinds[i])), this);
        kinds_[static_cast<std::size_t>(i)] = button;
        kindRow->addWidget(button);
        const CategoryKind kind = kAssignKinds[i];
        connect(button, &QRadioButton::clicked, this, [this, kind] { SetKind(kind); });
    }
    kindRow->addStretch(1);
    kinds_[0]->setChecked(true);

    auto* sides = new QHBoxLayout;
    const auto makeSide = [this](int i) {
        auto* column = new QVBoxLayout;
        boxes_[static_cast<std::size_t>(i)] = new QComboBox(this);
        lists_[static_cast<std::size_t>(i)] = new QListWidget(this);
        lists_[static_cast<std::size_t>(i)]->setSelectionMode(QAbstractItemView::ExtendedSelection);
        lists_[static_cast<std::size_t>(i)]->setMinimumSize(160, 240);
        column->addWidget(boxes_[static_cast<std::size_t>(i)]);
        column->addWidget(lists_[static_cast<std::size_t>(i)], 1);
        const Side side = i == 0 ? Side::Left : Side::Right;
        connect(boxes_[static_cast<std::size_t>(i)], &QComboBox::currentIndexChanged, this,
                [this, side](int index) {
                    if (filling_) return;
                    organizer_.Choose(side,
                                      index > 0 ? std::optional<int>(index - 1) : std::nullopt);
                    Refresh();
                });
        connect(lists_[static_cast<std::size_t>(i)], &QListWidget::itemSelectionChanged, this,
                [this, side, i] {
                    if (filling_) return;
                    std::set<int> rows;
                    const QListWidget* list = lists_[static_cast<std::size_t>(i)];
                    for (const QModelIndex& index : list->selectionModel()->selectedIndexes()) {
                        rows.insert(index.row());
                    }
                    organizer_.SetSelection(side, std::move(rows));
                    Refresh();
                });
        return column;
    };
    sides->addLayout(makeSide(0), 1);
    auto* middle = new QVBoxLayout;
    middle->addStretch(1);
    const char* texts[] = {">", ">", "<", "<", "<  >", "<  >"};
    for (int b = 0; b < AssignmentsOrganizer::kButtonCount; ++b) {
        const auto button = static_cast<AssignmentsOrganizer::Button>(b);
        auto* push = new QPushButton(QString::fromLatin1(texts[b]), this);
        push->setAutoDefault(false);
        push->setToolTip(QString::fromLatin1(AssignmentsOrganizer::ButtonTooltip(button)));
        buttons_[static_cast<std::size_t>(b)] = push;
        middle->addWidget(push);
        connect(push, &QPushButton::clicked, this, [this, button] { Press(button); });
    }
    middle->addStretch(1);
    sides->addLayout(middle);
    sides->addLayout(makeSide(1), 1);

    auto* close = new QPushButton(QStringLiteral("Close"), this);
    connect(close, &QPushButton::clicked, this, &QDialog::accept);
    auto* bottom = new QHBoxLayout;
    bottom->addStretch(1);
    bottom->addWidget(close);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(kindRow);
    layout->addLayout(sides, 1);
    layout->addLayout(bottom);

    FillCategoryBoxes();
    Refresh();
}

QRadioButton* AssignmentsOrganizerDialog::KindButton(CategoryKind kind) const {
    for (int i = 0; i < 3; ++i) {
        if (kAssignKinds[i] == kind) return kinds_[static_cast<std::size_t>(i)];
    }
    return nullptr;
}

QComboBox* AssignmentsOrganizerDialog::CategoryBox(Side side) const {
    return boxes_[side == Side::Left ? 0 : 1];
}

QListWidget* AssignmentsOrganizerDialog::StockList(Side side) const {
    return lists_[side == Side::Left ? 0 : 1];
}

void AssignmentsOrganizerDialog::SetKind(CategoryKind kind) {
    if (kind == organizer_.Kind()) return;
    organizer_.SetKind(kind);
    // The chosen numbers belong to the previous kind.
    organizer_.Choose(Side::Left, std::nullopt);
    organizer_.Choose(Side::Right, std::nullopt);
    FillCategoryBoxes();
    Refresh();
}

void AssignmentsOrganizerDialog::FillCategoryBoxes() {
    filling_ = true;
    const CategoryTables& tables = context_.Services().db.Categories();
    const CategoryKind kind = organizer_.Kind();
    for (int i = 0; i < 2; ++i) {
        QComboBox* box = boxes_[static_cast<std::size_t>(i)];
        box->clear();
        box->addItem(QString());
        for (int c = 0; c < CategoryCount(kind); ++c) {
            box->addItem(
                QStringLiteral("%1: %2").arg(c).arg(ToQString(CategoryName(tables, kind, c))));
        }
        const auto chosen = organizer_.Chosen(i == 0 ? Side::Left : Side::Right);
        box->setCurrentIndex(chosen ? *chosen + 1 : 0);
    }
    filling_ = false;
}

void AssignmentsOrganizerDialog::Refresh() {
    filling_ = true;
    for (int i = 0; i < 2; ++i) {
        const Side side = i == 0 ? Side::Left : Side::Right;
        QListWidget* list = lists_[static_cast<std::size_t>(i)];
        list->clear();
        for (const std::string& ticker : organizer_.List(side)) list->addItem(ToQString(ticker));
        for (int row : organizer_.Selection(side)) list->item(row)->setSelected(true);
    }
    for (int b = 0; b < AssignmentsOrganizer::kButtonCount; ++b) {
        buttons_[static_cast<std::size_t>(b)]->setEnabled(
            organizer_.Enabled(static_cast<AssignmentsOrganizer::Button>(b)));
    }
    filling_ = false;
}

void AssignmentsOrganizerDialog::Press(AssignmentsOrganizer::Button button) {
    organizer_.Press(button);
    Refresh();
}

void AssignmentsOrganizerDialog::done(int result) {
    organizer_.Close();
    QDialog::done(result);
}

void ShowCategories(GuiContext& context, QWidget* parent) {
    CategoriesDialog dialog(context, parent);
    dialog.exec();
}

void ShowAssignmentsOrganizer(GuiContext& context, QWidget* parent) {
    AssignmentsOrganizerDialog dialog(context, parent);
    dialog.exec();
}

}  // namespace velmora::gui
