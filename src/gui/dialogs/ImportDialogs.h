#pragma once
// The importers' dialogs of the File menu: the "Metastock importer" (a checked list of the
// securities of a data folder, "&Toggle" and "Import") and the teletext import (a file dialog
// over saved pages). The importing is MetastockImporter's and ImportTeletextFiles'.

#include <QDialog>
#include <QStringList>
#include <filesystem>

#include "import/MetastockImporter.h"

class QLabel;
class QMenu;
class QPushButton;
class QTreeWidget;

namespace velmora::gui {

class GuiContext;

class MetastockImportDialog : public QDialog {
    Q_OBJECT
  public:
    explicit MetastockImportDialog(GuiContext& context, QWidget* parent = nullptr);

    MetastockImporter& Importer() { return importer_; }
    QTreeWidget* List() const { return list_; }
    QLabel* FolderLabel() const { return folder_; }
    QPushButton* ImportButton() const { return import_; }
    const MetastockImportSummary& Summary() const { return summary_; }

    // Browse answered with a chosen index file: its folder is listed.
    void ChooseFile(const std::filesystem::path& file);

  public slots:
    void Browse();
    void Toggle();
    // Imports the checked rows with the progress dialog and closes the dialog.
    void Import();

  private:
    void Fill();

    GuiContext& context_;
    MetastockImporter importer_;
    MetastockImportSummary summary_;
    QTreeWidget* list_;
    QLabel* folder_;
    QPushButton* import_;
    bool filling_ = false;
};

void ShowMetastockImport(GuiContext& context, QWidget* parent);

// Imports saved teletext pages with a wait cursor; the charts then show the new quotations.
// The number of files that could be read.
int ImportTeletextPages(GuiContext& context, const QStringList& files);
// The teletext command: the file dialog, then ImportTeletextPages.
void ShowTeletextImport(GuiContext& context, QWidget* parent);

// The File menu's entries of the two importers.
void AddImportActions(GuiContext& context, QMenu* file, QWidget* parent);

}  // namespace velmora::gui
