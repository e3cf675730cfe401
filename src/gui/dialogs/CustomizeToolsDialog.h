#pragma once
// The "Customize tools" dialog over the custom tools list: the "Menu Item" list (labels
// editable), New, Delete, Move Up, Move Down, and the selected tool's command (with "..." to
// pick it), arguments, initial directory and "Prompt for arguments". Closing the dialog writes
// the list to the settings store and marks the Tools menu for rebuilding.

#include <QDialog>

#include "app/CustomTools.h"

class QCheckBox;
class QLineEdit;
class QPushButton;
class QTreeWidget;
class QTreeWidgetItem;

namespace velmora::gui {

class GuiContext;

class CustomizeToolsDialog : public QDialog {
    Q_OBJECT
  public:
    CustomizeToolsDialog(CustomTools& tools, SettingsStore& settings, QWidget* parent = nullptr);

    QTreeWidget* List() const { return list_; }
    int Selection() const { return selection_; }
    QLineEdit* CommandEdit() const { return command_; }
    QLineEdit* ArgumentsEdit() const { return arguments_; }
    QLineEdit* DirectoryEdit() const { return directory_; }
    QCheckBox* PromptBox() const { return prompt_; }

    // Every way of closing the dialog writes the list: its edits are already in it. A field
    // holding a tab or a line break keeps the dialog open with a message saying so.
    void done(int result) override;

  public slots:
    void NewTool();
    void DeleteTool();
    void MoveUp();
    void MoveDown();
    void BrowseCommand();

  private:
    void Fill(int selection);
    void ShowSelected();
    void Select(QTreeWidgetItem* item);
    void Renamed(QTreeWidgetItem* item);
    // Ok when the command, arguments and folder fields are free of tabs and line breaks (a
    // field that is not is never taken into the list); otherwise the failure naming it.
    Status CheckFields() const;
    void ShowRefusal(const Status& refusal);

    CustomTools& tools_;
    SettingsStore& settings_;
    QTreeWidget* list_;
    QLineEdit* command_;
    QLineEdit* arguments_;
    QLineEdit* directory_;
    QCheckBox* prompt_;
    QPushButton* browse_;
    QPushButton* delete_;
    QPushButton* up_;
    QPushButton* down_;
    int selection_ = -1;
    bool filling_ = false;
};

// Opens the dialog (modal); the list is written to the store when it closes.
void ShowCustomizeTools(CustomTools& tools, SettingsStore& settings, QWidget* parent);
// The same with the context's settings store.
void ShowCustomizeTools(GuiContext& context, CustomTools& tools, QWidget* parent);

}  // namespace velmora::gui
