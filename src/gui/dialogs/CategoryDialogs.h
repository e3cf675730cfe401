#pragma once
// The category dialogs: "Categories" (the names of markets, groups, sectors and industries
// with their settings: base tickers, address templates, an industry's sector) and
// "Assignments organizer" (moving stocks between markets, groups or industries in bulk). The
// logic is CategoryEditor's and AssignmentsOrganizer's; the widgets show and forward.

#include <QDialog>
#include <array>
#include <string>

#include "app/CategoryEditor.h"

class QComboBox;
class QLabel;
class QLineEdit;
class QListWidget;
class QPushButton;
class QRadioButton;
class QTabBar;
class QTreeWidget;

namespace velmora::gui {

class GuiContext;

class CategoriesDialog : public QDialog {
    Q_OBJECT
  public:
    explicit CategoriesDialog(GuiContext& context, QWidget* parent = nullptr);

    CategoryEditor& Editor() { return editor_; }
    QTabBar* Tabs() const { return tabs_; }
    QTreeWidget* List() const { return list_; }
    QComboBox* RSBaseBox() const { return rsBase_; }
    QComboBox* BetaBaseBox() const { return betaBase_; }
    QComboBox* CompositesBaseBox() const { return compositesBase_; }
    QLineEdit* ProfileEdit() const { return profile_; }
    QLineEdit* NewsEdit() const { return news_; }
    QComboBox* SectorBox() const { return sector_; }

    // OK stores the pending edits, sets WorkspaceDirty and relabels the stock tree's nodes.
    void accept() override;
    // Cancel drops the pending edits of the current tab. What leaving rows and tabs already
    // stored stays, so it is saved with the workspace and shown in the stock tree.
    void reject() override;

  public slots:
    // "Edit name": in-place editing of the selected row's name.
    void EditName();

  private:
    void FillList();
    void ShowControls();
    // Takes the controls' texts into the editor; one with a tab or a line break is not taken
    // (the editor keeps the row's former settings) and the failure names it.
    Status ReadControls();
    // The refusal of a text, shown over the dialog.
    void ShowRefusal(const Status& refusal);
    void FillBaseBox(QComboBox* box);

    GuiContext& context_;
    CategoryEditor editor_;
    QTabBar* tabs_;
    QTreeWidget* list_;
    QComboBox* rsBase_;
    QComboBox* betaBase_;
    QComboBox* compositesBase_;
    QLineEdit* profile_;
    QLineEdit* news_;
    QComboBox* sector_;
    std::array<QLabel*, 6> labels_{};
    std::string openedWith_;  // the tables' names and settings when the dialog opened
    bool filling_ = false;
};

class AssignmentsOrganizerDialog : public QDialog {
    Q_OBJECT
  public:
    explicit AssignmentsOrganizerDialog(GuiContext& context, QWidget* parent = nullptr);

    AssignmentsOrganizer& Organizer() { return organizer_; }
    QRadioButton* KindButton(CategoryKind kind) const;
    // The side's category box: its first entry is "no category"; entry i + 1 is category i.
    QComboBox* CategoryBox(AssignmentsOrganizer::Side side) const;
    QListWidget* StockList(AssignmentsOrganizer::Side side) const;
    QPushButton* Button(AssignmentsOrganizer::Button button) const {
        return buttons_[static_cast<std::size_t>(button)];
    }

    // Every way of closing rebuilds the stock tree and the ticker bar.
    void done(int result) override;

  private:
    void SetKind(CategoryKind kind);
    void FillCategoryBoxes();
    void Refresh();
    void Press(AssignmentsOrganizer::Button button);

    GuiContext& context_;
    AssignmentsOrganizer organizer_;
    std::array<QRadioButton*, 3> kinds_{};
    std::array<QComboBox*, 2> boxes_{};
    std::array<QListWidget*, 2> lists_{};
    std::array<QPushButton*, AssignmentsOrganizer::kButtonCount> buttons_{};
    bool filling_ = false;
};

void ShowCategories(GuiContext& context, QWidget* parent);
void ShowAssignmentsOrganizer(GuiContext& context, QWidget* parent);

}  // namespace velmora::gui
