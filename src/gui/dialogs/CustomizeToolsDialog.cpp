#include "gui/dialogs/CustomizeToolsDialog.h"

#include <QCheckBox>
#include <QFileDialog>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QLineEdit>
#include <QMessageBox>
#include <QPushButton>
#include <QTreeWidget>
#include <QVBoxLayout>
#include <optional>
#include <string>
#include <utility>

#include "gui/GuiContext.h"
#include "gui/QtUserInterface.h"
#include "platform/PlainText.h"

namespace velmora::gui {

namespace {

const QString kCommandFilter = QStringLiteral(
    "Executable files (*.exe);;Script Files (*.js *.vbs);;Web Files (*.htm *.html);;"
    "All Files (*)");

QString Q(const std::string& text) {
    return QString::fromStdString(text);
}

// The field's text when it may go into the list: free of tabs and line breaks.
std::optional<std::string> PlainField(const QString& text) {
    std::string field = text.toStdString();
    if (FindTabOrLineBreak(field) != std::string::npos) return std::nullopt;
    return field;
}

}  // namespace

CustomizeToolsDialog::CustomizeToolsDialog(CustomTools& tools, SettingsStore& settings,
                                           QWidget* parent)
    : QDialog(parent), tools_(tools), settings_(settings) {
    setWindowTitle(QStringLiteral("Customize tools"));
    auto* layout = new QVBoxLayout(this);
    auto* top = new QHBoxLayout;
    list_ = new QTreeWidget(this);
    list_->setColumnCount(1);
    list_->setHeaderLabels({QStringLiteral("Menu Item")});
    list_->setColumnWidth(0, 330);
    list_->setRootIsDecorated(false);
    list_->setMinimumWidth(340);
    list_->setEditTriggers(QAbstractItemView::EditKeyPressed | QAbstractItemView::SelectedClicked |
                           QAbstractItemView::DoubleClicked);
    top->addWidget(list_, 1);
    auto* side = new QVBoxLayout;
    auto* add = new QPushButton(QStringLiteral("New"), this);
    delete_ = new QPushButton(QStringLiteral("Delete"), this);
    up_ = new QPushButton(QStringLiteral("Move Up"), this);
    down_ = new QPushButton(QStringLiteral("Move Down"), this);
    for (QPushButton* b : {add, delete_, up_, down_}) {
        b->setAutoDefault(false);
        side->addWidget(b);
    }
    side->addStretch(1);
    top->addLayout(side);
    layout->addLayout(top, 1);

    auto* form = new QFormLayout;
    command_ = new QLineEdit(this);
    browse_ = new QPushButton(QStringLiteral("..."), this);
    browse_->setAutoDefault(false);
    auto* commandRow = new QHBoxLayout;
    commandRow->addWidget(command_, 1);
    commandRow->addWidget(browse_);
    form->addRow(QStringLiteral("Command:"), commandRow);
    arguments_ = new QLineEdit(this);
    form->addRow(QStringLiteral("Arguments:"), arguments_);
    directory_ = new QLineEdit(this);
    form->addRow(QStringLiteral("Initial directory:"), directory_);
    layout->addLayout(form);
    prompt_ = new QCheckBox(QStringLiteral("Prompt for arguments"), this);
    layout->addWidget(prompt_);
    auto* bottom = new QHBoxLayout;
    bottom->addStretch(1);
    auto* close = new QPushButton(QStringLiteral("Close"), this);
    bottom->addWidget(close);
    layout->addLayout(bottom);

    connect(add, &QPushButton::clicked, this, &CustomizeToolsDialog::NewTool);
    connect(delete_, &QPushButton::clicked, this, &CustomizeToolsDialog::DeleteTool);
    connect(up_, &QPushButton::clicked, this, &CustomizeToolsDialog::MoveUp);
    connect(down_, &QPushButton::clicked, this, &CustomizeToolsDialog::MoveDown);
    connect(browse_, &QPushButton::clicked, this, &CustomizeToolsDialog::BrowseCommand);
    connect(close, &QPushButton::clicked, this, &QDialog::accept);
    const std::pair<QLineEdit*, std::string CustomTool::*> fields[] = {
        {command_, &CustomTool::command},
        {arguments_, &CustomTool::arguments},
        {directory_, &CustomTool::initialDirectory}};
    for (const auto& entry : fields) {
        std::string CustomTool::*member = entry.second;
        connect(entry.first, &QLineEdit::textChanged, this, [this, member](const QString& text) {
            if (filling_ || selection_ < 0) return;
            if (auto plain = PlainField(text)) tools_.At(selection_).*member = std::move(*plain);
        });
    }
    connect(prompt_, &QCheckBox::toggled, this, [this](bool on) {
        if (!filling_ && selection_ >= 0) tools_.At(selection_).promptForArguments = on;
    });
    connect(list_, &QTreeWidget::currentItemChanged, this,
            [this](QTreeWidgetItem* current, QTreeWidgetItem*) { Select(current); });
    connect(list_, &QTreeWidget::itemChanged, this,
            [this](QTreeWidgetItem* item, int) { Renamed(item); });
    Fill(tools_.InitialSelection());
}

void CustomizeToolsDialog::Fill(int selection) {
    filling_ = true;
    list_->clear();
    for (const CustomTool& tool : tools_.Tools()) {
        auto* item = new QTreeWidgetItem(list_, {Q(tool.name)});
        item->setFlags(item->flags() | Qt::ItemIsEditable);
    }
    selection_ = selection >= 0 && selection < tools_.Count() ? selection : -1;
    if (selection_ >= 0) list_->setCurrentItem(list_->topLevelItem(selection_));
    filling_ = false;
    ShowSelected();
}

void CustomizeToolsDialog::ShowSelected() {
    filling_ = true;
    const bool any = selection_ >= 0;
    const CustomTool empty;
    const CustomTool& tool = any ? tools_.At(selection_) : empty;
    command_->setText(Q(tool.command));
    arguments_->setText(Q(tool.arguments));
    directory_->setText(Q(tool.initialDirectory));
    prompt_->setChecked(tool.promptForArguments);
    for (QWidget* w : std::initializer_list<QWidget*>{command_, arguments_, directory_, prompt_,
                                                      browse_, delete_, up_, down_})
        w->setEnabled(any);
    filling_ = false;
}

void CustomizeToolsDialog::Select(QTreeWidgetItem* item) {
    if (filling_) return;
    // The refused field's text is replaced by the next tool's: say that it was not kept.
    if (const Status fields = CheckFields(); !fields) ShowRefusal(fields);
    selection_ = item ? list_->indexOfTopLevelItem(item) : -1;
    ShowSelected();
}

void CustomizeToolsDialog::Renamed(QTreeWidgetItem* item) {
    if (filling_) return;
    const int row = list_->indexOfTopLevelItem(item);
    if (row < 0) return;
    // An emptied label is a cancelled edit, a label with a tab or a line break a refused one:
    // the old name comes back.
    const std::string name = item->text(0).toStdString();
    if (const Status plain = CheckPlainText("The tool's name", name); !plain)
        ShowRefusal(plain);
    else
        tools_.Rename(row, name);
    filling_ = true;
    item->setText(0, Q(tools_.At(row).name));
    filling_ = false;
}

void CustomizeToolsDialog::NewTool() {
    const int added = tools_.New();
    if (added >= 0) Fill(added);
}

void CustomizeToolsDialog::DeleteTool() {
    if (selection_ < 0) return;
    Fill(tools_.Delete(selection_));
}

void CustomizeToolsDialog::MoveUp() {
    if (selection_ < 0) return;
    Fill(tools_.MoveUp(selection_));
}

void CustomizeToolsDialog::MoveDown() {
    if (selection_ < 0) return;
    Fill(tools_.MoveDown(selection_));
}

void CustomizeToolsDialog::BrowseCommand() {
    if (selection_ < 0) return;
    const QString file =
        QFileDialog::getOpenFileName(this, QString(), command_->text(), kCommandFilter);
    if (file.isEmpty()) return;
    command_->setText(file);
}

Status CustomizeToolsDialog::CheckFields() const {
    if (selection_ < 0) return Status::Ok();
    const std::pair<const char*, const QLineEdit*> fields[] = {
        {"The command", command_},
        {"The arguments", arguments_},
        {"The initial directory", directory_}};
    for (const auto& [what, edit] : fields) {
        if (Status plain = CheckPlainText(what, edit->text().toStdString()); !plain) return plain;
    }
    return Status::Ok();
}

void CustomizeToolsDialog::ShowRefusal(const Status& refusal) {
    QMessageBox::information(this, kProgramTitle, ToQString(refusal.ToString()));
}

void CustomizeToolsDialog::done(int result) {
    if (const Status fields = CheckFields(); !fields) {
        ShowRefusal(fields);
        return;
    }
    tools_.CloseCustomizeDialog(settings_);
    QDialog::done(result);
}

void ShowCustomizeTools(CustomTools& tools, SettingsStore& settings, QWidget* parent) {
    CustomizeToolsDialog dialog(tools, settings, parent);
    dialog.exec();
}

void ShowCustomizeTools(GuiContext& context, CustomTools& tools, QWidget* parent) {
    ShowCustomizeTools(tools, context.Services().settings, parent);
}

}  // namespace velmora::gui
