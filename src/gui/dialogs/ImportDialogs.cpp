#include "gui/dialogs/ImportDialogs.h"

#include <QApplication>
#include <QFileDialog>
#include <QHBoxLayout>
#include <QLabel>
#include <QMenu>
#include <QPushButton>
#include <QTreeWidget>
#include <QVBoxLayout>
#include <algorithm>

#include "gui/FormFields.h"
#include "gui/GuiContext.h"
#include "gui/QtUserInterface.h"
#include "import/TeletextImporter.h"

namespace velmora::gui {

namespace {

// After an import: new stocks join the stock tree and the ticker bar, the charts repaint.
constexpr int kImportedFlags = 7 | kCurrentRebuildTree;

void ShowImported(GuiContext& context) {
    Stock* current = context.CurrentStock();
    context.MakeCurrent(current != nullptr ? current : context.Services().db.FirstStock(),
                        kImportedFlags);
}

// An import's summary in a message: one line per file or security, the first kListedLines of
// them and the count of the others.
std::string ListedLines(const std::string& heading, const std::vector<std::string>& lines) {
    constexpr std::size_t kListedLines = 20;
    std::string text = heading;
    for (std::size_t i = 0; i < lines.size() && i < kListedLines; ++i) text += lines[i] + "\n";
    if (lines.size() > kListedLines) {
        text += "... and " + std::to_string(lines.size() - kListedLines) + " more\n";
    }
    return text;
}

// A security's first or last date as the program shows dates: " 970923" as "97-09-23".
QString MetastockDateShown(const std::string& text) {
    QString t = ToQString(text).trimmed();
    if (t.size() != 6 || !std::all_of(t.begin(), t.end(), [](QChar c) { return c.isDigit(); }))
        return t;
    return t.left(2) + QLatin1Char('-') + t.mid(2, 2) + QLatin1Char('-') + t.mid(4, 2);
}

// The Browse dialog's filters: the importer's "description|pattern|" pairs in Qt's form.
QStringList BrowseFilters() {
    const QStringList parts =
        QString::fromLatin1(MetastockImporter::kBrowseFilter).split(QLatin1Char('|'));
    QStringList filters;
    for (qsizetype i = 0; i + 1 < parts.size(); i += 2) {
        if (parts[i].isEmpty()) break;
        QString description = parts[i];
        if (parts[i + 1] == QLatin1String("*.*")) description.replace(QLatin1String("*.*"), "*");
        filters << description;
    }
    return filters;
}

}  // namespace

// --- Metastock importer ----------------------------------------------------------------------

MetastockImportDialog::MetastockImportDialog(GuiContext& context, QWidget* parent)
    : QDialog(parent),
      context_(context),
      importer_(context.Services().db, context.Services().settings, context.Services().ui) {
    setWindowTitle(QString::fromLatin1(MetastockImporter::kTitle));
    list_ = new QTreeWidget(this);
    list_->setRootIsDecorated(false);
    list_->setUniformRowHeights(true);
    QStringList headers;
    for (const auto& column : MetastockImporter::kColumns) {
        headers << QString::fromLatin1(column.caption);
    }
    list_->setHeaderLabels(headers);
    for (int c = 0; c < static_cast<int>(std::size(MetastockImporter::kColumns)); ++c) {
        list_->setColumnWidth(c, MetastockImporter::kColumns[c].width);
    }
    FitColumnsToTitles(list_->header());
    list_->setMinimumSize(480, 260);

    auto* browse = new QPushButton(QStringLiteral("Browse..."), this);
    browse->setAutoDefault(false);
    folder_ = new QLabel(QString::fromLatin1(importer_.DataFolderText()), this);
    folder_->setTextInteractionFlags(Qt::TextSelectableByMouse);
    auto* toggle = new QPushButton(QStringLiteral("&Toggle"), this);
    toggle->setAutoDefault(false);
    import_ = new QPushButton(QStringLiteral("Import"), this);
    import_->setEnabled(importer_.ImportEnabled());
    auto* cancel = new QPushButton(QStringLiteral("Cancel"), this);
    cancel->setAutoDefault(false);

    auto* folderRow = new QHBoxLayout;
    folderRow->addWidget(new QLabel(QStringLiteral("Data folder:"), this));
    folderRow->addWidget(folder_, 1);
    folderRow->addWidget(browse);
    auto* bottom = new QHBoxLayout;
    bottom->addWidget(toggle);
    bottom->addStretch(1);
    bottom->addWidget(import_);
    bottom->addWidget(cancel);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(folderRow);
    layout->addWidget(list_, 1);
    layout->addLayout(bottom);

    connect(browse, &QPushButton::clicked, this, &MetastockImportDialog::Browse);
    connect(toggle, &QPushButton::clicked, this, &MetastockImportDialog::Toggle);
    connect(import_, &QPushButton::clicked, this, &MetastockImportDialog::Import);
    connect(cancel, &QPushButton::clicked, this, &QDialog::reject);
    connect(list_, &QTreeWidget::itemChanged, this, [this](QTreeWidgetItem* item, int column) {
        if (filling_ || column != 0) return;
        const int row = list_->indexOfTopLevelItem(item);
        if (row >= 0)
            importer_.SetChecked(static_cast<std::size_t>(row), item->checkState(0) == Qt::Checked);
    });
}

void MetastockImportDialog::Browse() {
    QFileDialog dialog(this, QString(), QString::fromStdString(importer_.StartDirectory()));
    dialog.setFileMode(QFileDialog::ExistingFile);
    dialog.setNameFilters(BrowseFilters());
    dialog.selectFile(QString::fromLatin1(MetastockImporter::kBrowseFileName));
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty()) return;
    ChooseFile(dialog.selectedFiles().first().toStdString());
}

void MetastockImportDialog::ChooseFile(const std::filesystem::path& file) {
    importer_.ChooseFile(file);
    Fill();
}

void MetastockImportDialog::Fill() {
    filling_ = true;
    list_->clear();
    QList<QTreeWidgetItem*> items;
    for (const MetastockRow& row : importer_.Rows()) {
        auto* item = new QTreeWidgetItem({ToQString(row.ticker), ToQString(row.fullName),
                                          ToQString(row.format), MetastockDateShown(row.from),
                                          MetastockDateShown(row.to)});
        item->setFlags(item->flags() | Qt::ItemIsUserCheckable);
        item->setCheckState(0, row.checked ? Qt::Checked : Qt::Unchecked);
        item->setData(0, Qt::UserRole, row.value);
        items << item;
    }
    list_->addTopLevelItems(items);
    folder_->setText(ToQString(importer_.DataFolderText()));
    import_->setEnabled(importer_.ImportEnabled());
    filling_ = false;
}

void MetastockImportDialog::Toggle() {
    importer_.Toggle();
    filling_ = true;
    for (int i = 0; i < list_->topLevelItemCount(); ++i) {
        list_->topLevelItem(i)->setCheckState(
            0, importer_.Rows()[static_cast<std::size_t>(i)].checked ? Qt::Checked : Qt::Unchecked);
    }
    filling_ = false;
}

void MetastockImportDialog::Import() {
    if (!importer_.ImportEnabled()) return;
    summary_ = importer_.Import();
    ShowImported(context_);
    // What became of every chosen security, those not read whole first.
    std::vector<std::string> refused, imported;
    for (const MetastockRowResult& r : summary_.rows) {
        const std::string name = r.ticker.empty() ? "row " + std::to_string(r.row + 1) : r.ticker;
        (r.outcome == MetastockRowResult::Outcome::Imported ? imported : refused)
            .push_back(name + ": " + MetastockRowText(r));
    }
    refused.insert(refused.end(), imported.begin(), imported.end());
    if (!refused.empty()) {
        context_.Services().ui.ShowMessage(ListedLines("Metastock import\n\n", refused));
    }
    accept();
}

void ShowMetastockImport(GuiContext& context, QWidget* parent) {
    MetastockImportDialog dialog(context, parent);
    dialog.exec();
}

// --- Teletext --------------------------------------------------------------------------------

int ImportTeletextPages(GuiContext& context, const QStringList& files) {
    if (files.isEmpty()) return 0;
    std::vector<std::filesystem::path> paths;
    for (const QString& f : files) paths.emplace_back(f.toStdString());
    QApplication::setOverrideCursor(Qt::WaitCursor);
    GuiServices& s = context.Services();
    const auto results = ImportTeletextFiles(s.db, s.settings, paths);
    QApplication::restoreOverrideCursor();
    ShowImported(context);
    int opened = 0;
    std::vector<std::string> lines;
    for (std::size_t i = 0; i < results.size() && i < paths.size(); ++i) {
        const TeletextImportResult& r = results[i];
        opened += r.opened ? 1 : 0;
        lines.push_back(paths[i].filename().string() + ": " + TeletextResultText(r, r.dateText));
    }
    s.ui.ShowMessage(ListedLines("Teletext import\n\n", lines));
    return opened;
}

void ShowTeletextImport(GuiContext& context, QWidget* parent) {
    const QStringList files = QFileDialog::getOpenFileNames(
        parent, QStringLiteral("Teletext import"),
        QString::fromStdString(TeletextStartDirectory(context.Services().settings)));
    ImportTeletextPages(context, files);
}

void AddImportActions(GuiContext& context, QMenu* file, QWidget* parent) {
    file->addAction(QStringLiteral("&Metastock import..."), parent,
                    [&context, parent] { ShowMetastockImport(context, parent); });
    file->addAction(QStringLiteral("&Teletext import..."), parent,
                    [&context, parent] { ShowTeletextImport(context, parent); });
}

}  // namespace velmora::gui
