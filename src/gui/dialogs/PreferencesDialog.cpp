#include "gui/dialogs/PreferencesDialog.h"

#include <QCheckBox>
#include <QColorDialog>
#include <QDialogButtonBox>
#include <QDoubleSpinBox>
#include <QFileDialog>
#include <QFormLayout>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPainter>
#include <QPixmap>
#include <QPushButton>
#include <QSpinBox>
#include <QTabWidget>
#include <QVBoxLayout>
#include <climits>
#include <cmath>

#include "gui/GuiContext.h"

namespace velmora::gui {

namespace {

constexpr int kFullRefreshFlags = 7;
constexpr int kMaxWord = 65535;

constexpr const char* kColourCaptions[kColourSettingCount] = {"Price:",
                                                              "Short time average:",
                                                              "Mid time average:",
                                                              "Long time average:",
                                                              "Bollinger bands:",
                                                              "Turnover:",
                                                              "Volume:",
                                                              "Oscillator:",
                                                              "Signal (average):",
                                                              "Grid:",
                                                              "Background:",
                                                              "Risk/yield map:",
                                                              "Tooltips:",
                                                              "Axes:",
                                                              "Histogram:",
                                                              "2nd oscillator (+DI):",
                                                              "Parabolic:",
                                                              "Up candlestick:",
                                                              "Down candlestick:",
                                                              "Study (trendline):"};

// Offsets of the fields the dialog edits (the accessors of Preferences name the same places).
// The colours (48) and the palette (88) are edited through the Preferences accessors instead.
namespace off {
constexpr std::size_t kFatLine = 0, kMarkQuotations = 4, kVolumeType = 8, kShortShown = 10,
                      kShortPeriods = 14, kMidShown = 16, kMidPeriods = 20, kBollinger = 22,
                      kBollingerWidth = 26, kRoc = 28, kRsi = 30, kMacdFast = 32, kMacdSlow = 34,
                      kMacdSignal = 36, kStochastic = 38, kUltFast = 40, kUltMedium = 42,
                      kUltSlow = 44, kAutoArrange = 290, kLogScale = 294, kQuotesInChart = 298,
                      kTrix = 300, kLongShown = 302, kLongPeriods = 306, kVolumeAverage = 308,
                      kRsBase = 310, kLimitSaved = 342, kLimitMax = 346, kCci = 348,
                      kCciAverage = 350, kTreeTooltips = 352, kDatabasePath = 362,
                      kPriceTooltips = 618, kLoadAllQuotes = 622, kPartialLoading = 626,
                      kLoadUpto = 630, kTrinFast = 634, kTrinSlow = 636, kShortType = 638,
                      kMidType = 640, kLongType = 642, kDmi = 644, kSarStep = 646, kSarMax = 650,
                      kAddSar = 654, kDefaultStyle = 658, kFullNameTree = 660,
                      kFullNameTicker = 662;
}  // namespace off

const QStringList& AverageTypes() {
    static const QStringList types = {QStringLiteral("Simple"), QStringLiteral("Exponential")};
    return types;
}

// A colour field shows the colour itself (its palette number only as the tooltip).
constexpr QSize kSwatchSize(56, 14);

QIcon Swatch(int rgb12) {
    QPixmap swatch(kSwatchSize);
    swatch.fill(PaletteColour(rgb12));
    QPainter frame(&swatch);
    frame.setPen(Qt::darkGray);
    frame.drawRect(swatch.rect().adjusted(0, 0, -1, -1));
    frame.end();
    return QIcon(swatch);
}

std::array<int, kPaletteSize> PaletteOf(const Preferences& prefs) {
    std::array<int, kPaletteSize> palette{};
    for (int i = 0; i < kPaletteSize; ++i)
        palette[static_cast<std::size_t>(i)] = prefs.PaletteEntry(i);
    return palette;
}

}  // namespace

QColor PaletteColour(int rgb12) {
    return QColor(((rgb12 >> 8) & 15) * 17, ((rgb12 >> 4) & 15) * 17, (rgb12 & 15) * 17);
}

int ToPaletteColour(const QColor& colour) {
    const auto nibble = [](int channel) { return (channel + 8) / 17; };
    return nibble(colour.red()) << 8 | nibble(colour.green()) << 4 | nibble(colour.blue());
}

// ---------------------------------------------------------------------------------------------

PaletteColourBox::PaletteColourBox(QWidget* parent) : QComboBox(parent) {
    for (int i = 0; i < kPaletteSize; ++i) {
        addItem(QString());
        setItemData(i, QStringLiteral("Palette colour %1").arg(i), Qt::ToolTipRole);
    }
    setIconSize(kSwatchSize);
}

void PaletteColourBox::SetPalette(const std::array<int, kPaletteSize>& palette) {
    for (int i = 0; i < kPaletteSize; ++i)
        setItemIcon(i, Swatch(palette[static_cast<std::size_t>(i)]));
}

// ---------------------------------------------------------------------------------------------

PaletteEditorDialog::PaletteEditorDialog(const std::array<int, kPaletteSize>& palette,
                                         QWidget* parent)
    : QDialog(parent), palette_(palette) {
    setWindowTitle(QStringLiteral("Palette editor"));
    auto* layout = new QVBoxLayout(this);
    auto* grid = new QGridLayout;
    for (int i = 0; i < kPaletteSize; ++i) {
        auto* b = new QPushButton(QString::number(i), this);
        b->setAutoDefault(false);
        b->setIconSize(QSize(24, 12));
        b->setIcon(Swatch(palette_[static_cast<std::size_t>(i)]));
        grid->addWidget(b, i / 4, i % 4);
        connect(b, &QPushButton::clicked, this, [this, i] { Pick(i); });
        buttons_[static_cast<std::size_t>(i)] = b;
    }
    layout->addLayout(grid);
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    layout->addWidget(buttons);
}

void PaletteEditorDialog::SetEntry(int index, const QColor& colour) {
    if (index < 0 || index >= kPaletteSize || !colour.isValid()) return;
    const auto i = static_cast<std::size_t>(index);
    palette_[i] = ToPaletteColour(colour);
    buttons_[i]->setIcon(Swatch(palette_[i]));
}

void PaletteEditorDialog::Pick(int index) {
    const QColor chosen =
        QColorDialog::getColor(PaletteColour(palette_[static_cast<std::size_t>(index)]), this);
    if (chosen.isValid()) SetEntry(index, chosen);
}

// ---------------------------------------------------------------------------------------------

PreferencesDialog::PreferencesDialog(GuiContext& context, QWidget* parent)
    : QDialog(parent), context_(context), initial_(context.Services().prefs) {
    setWindowTitle(QStringLiteral("Preferences"));
    palette_ = PaletteOf(initial_);
    auto* layout = new QVBoxLayout(this);
    pages_ = new QTabWidget(this);
    // Every page's tab stays in sight: the dialog grows to their width.
    pages_->setUsesScrollButtons(false);
    pages_->addTab(MainChartPage(), QStringLiteral("Main chart"));
    pages_->addTab(IndicatorsPage(), QStringLiteral("Indicators "));
    pages_->addTab(ColoursPage(), QStringLiteral("Colours"));
    pages_->addTab(MiscellaneousPage(), QStringLiteral("Miscellaneous"));
    pages_->addTab(OtherIndicatorsPage(), QStringLiteral("Other indicators"));
    layout->addWidget(pages_);
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    connect(buttons, &QDialogButtonBox::accepted, this, &PreferencesDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    layout->addWidget(buttons);
    Load();
}

QWidget* PreferencesDialog::Flag(const char* caption, std::size_t offset, Kind kind) {
    auto* box = new QCheckBox(QString::fromLatin1(caption), this);
    box->setObjectName(QString::fromLatin1(caption));
    bindings_.push_back({offset, kind, box});
    return box;
}

QWidget* PreferencesDialog::Number(const char* name, std::size_t offset, int minimum, int maximum,
                                   Kind kind) {
    auto* spin = new QSpinBox(this);
    spin->setObjectName(QString::fromLatin1(name));
    spin->setRange(minimum, maximum);
    bindings_.push_back({offset, kind, spin});
    return spin;
}

QWidget* PreferencesDialog::Decimal(const char* name, std::size_t offset) {
    auto* spin = new QDoubleSpinBox(this);
    spin->setObjectName(QString::fromLatin1(name));
    spin->setDecimals(4);
    spin->setRange(0, 100);
    spin->setSingleStep(0.01);
    bindings_.push_back({offset, Kind::Float, spin});
    return spin;
}

QWidget* PreferencesDialog::Choice(const char* name, std::size_t offset, const QStringList& items) {
    auto* combo = new QComboBox(this);
    combo->setObjectName(QString::fromLatin1(name));
    combo->addItems(items);
    bindings_.push_back({offset, Kind::Choice, combo});
    return combo;
}

QWidget* PreferencesDialog::Text(const char* name, std::size_t offset, std::size_t size) {
    auto* edit = new QLineEdit(this);
    edit->setObjectName(QString::fromLatin1(name));
    edit->setMaxLength(static_cast<int>(size) - 1);
    bindings_.push_back({offset, Kind::Text, edit, size});
    return edit;
}

QWidget* PreferencesDialog::MainChartPage() {
    auto* page = new QWidget(this);
    auto* layout = new QVBoxLayout(page);
    for (const auto& [caption, offset] : {std::pair{"Fat line chart", off::kFatLine},
                                          {"Mark quotations", off::kMarkQuotations},
                                          {"Logarithmic scale", off::kLogScale},
                                          {"Add Parabolic SAR", off::kAddSar}}) {
        layout->addWidget(Flag(caption, offset));
    }
    auto* averages = new QGroupBox(QStringLiteral("Moving averages"), page);
    auto* grid = new QGridLayout(averages);
    struct Average {
        const char* caption;
        const char* periods;
        const char* type;
        std::size_t shown, period, kind;
    };
    const Average rows[] = {
        {"Short-time", "Short-time periods", "Short-time type", off::kShortShown,
         off::kShortPeriods, off::kShortType},
        {"Mid-time", "Mid-time periods", "Mid-time type", off::kMidShown, off::kMidPeriods,
         off::kMidType},
        {"Long-time", "Long-time periods", "Long-time type", off::kLongShown, off::kLongPeriods,
         off::kLongType},
    };
    int row = 0;
    for (const Average& a : rows) {
        grid->addWidget(Flag(a.caption, a.shown), row, 0);
        grid->addWidget(Number(a.periods, a.period, 1, kMaxWord), row, 1);
        grid->addWidget(Choice(a.type, a.kind, AverageTypes()), row, 2);
        ++row;
    }
    grid->addWidget(Flag("Bollinger bands", off::kBollinger), row, 0);
    grid->addWidget(Number("% width", off::kBollingerWidth, 1, kMaxWord), row, 1);
    grid->addWidget(new QLabel(QStringLiteral("% width"), averages), row, 2);
    layout->addWidget(averages);
    auto* form = new QFormLayout;
    form->addRow(
        QStringLiteral("Volume bar chart type"),
        Choice("Volume bar chart type", off::kVolumeType,
               {QStringLiteral("Volume"), QStringLiteral("Turnover"), QStringLiteral("None")}));
    form->addRow(QStringLiteral("Default style:"),
                 Choice("Default style:", off::kDefaultStyle,
                        {QStringLiteral("Auto"), QStringLiteral("Line"),
                         QStringLiteral("Candlesticks"), QStringLiteral("Bars")}));
    layout->addLayout(form);
    layout->addStretch(1);
    return page;
}

QWidget* PreferencesDialog::IndicatorsPage() {
    auto* page = new QWidget(this);
    auto* form = new QFormLayout(page);
    const std::pair<const char*, std::size_t> periods[] = {
        {"ROC range:", off::kRoc},
        {"RSI range:", off::kRsi},
        {"MACD fast average:", off::kMacdFast},
        {"MACD slow average:", off::kMacdSlow},
        {"MACD signal:", off::kMacdSignal},
        {"Stochastic range:", off::kStochastic},
        {"Ultimate fast average:", off::kUltFast},
        {"Ultimate medium average:", off::kUltMedium},
        {"Ultimate slow average:", off::kUltSlow},
        {"TRIX range:", off::kTrix},
        {"Volume/Turnover", off::kVolumeAverage},
        {"CCI range:", off::kCci},
        {"CCI average:", off::kCciAverage},
        {"TRIN fast average:", off::kTrinFast},
        {"TRIN slow average:", off::kTrinSlow},
    };
    for (const auto& [name, offset] : periods) {
        form->addRow(QString::fromLatin1(name), Number(name, offset, 1, kMaxWord));
    }
    form->addRow(QStringLiteral("Default Relative strength base"),
                 Text("Default Relative strength base", off::kRsBase, 32));
    return page;
}

QWidget* PreferencesDialog::ColoursPage() {
    auto* page = new QWidget(this);
    auto* layout = new QVBoxLayout(page);
    auto* grid = new QGridLayout;
    constexpr int kRows = kColourSettingCount / 2;
    for (int i = 0; i < kColourSettingCount; ++i) {
        auto* box = new PaletteColourBox(page);
        box->setObjectName(QString::fromLatin1(kColourCaptions[i]));
        colours_[static_cast<std::size_t>(i)] = box;
        const int column = i / kRows * 2;
        grid->addWidget(new QLabel(QString::fromLatin1(kColourCaptions[i]), page), i % kRows,
                        column);
        grid->addWidget(box, i % kRows, column + 1);
    }
    layout->addLayout(grid);
    auto* editor = new QPushButton(QStringLiteral("&Palette editor"), page);
    editor->setObjectName(QStringLiteral("&Palette editor"));
    editor->setAutoDefault(false);
    connect(editor, &QPushButton::clicked, this, &PreferencesDialog::EditPalette);
    auto* row = new QHBoxLayout;
    row->addWidget(editor);
    row->addStretch(1);
    layout->addLayout(row);
    layout->addStretch(1);
    return page;
}

QWidget* PreferencesDialog::MiscellaneousPage() {
    auto* page = new QWidget(this);
    auto* layout = new QVBoxLayout(page);
    layout->addWidget(Flag("Auto-arrange charts", off::kAutoArrange));
    auto* form = new QFormLayout;
    form->addRow(
        QStringLiteral("Default number of quotations in a chart:"),
        Number("Default number of quotations in a chart:", off::kQuotesInChart, 1, kMaxWord));
    layout->addLayout(form);

    auto* limitRow = new QHBoxLayout;
    auto* limit =
        static_cast<QCheckBox*>(Flag("Limit number of saved quotations", off::kLimitSaved));
    QWidget* max = Number("Max:", off::kLimitMax, 1, kMaxWord);
    limitRow->addWidget(limit);
    limitRow->addWidget(new QLabel(QStringLiteral("Max:"), page));
    limitRow->addWidget(max);
    limitRow->addStretch(1);
    layout->addLayout(limitRow);
    connect(limit, &QCheckBox::toggled, max, &QWidget::setEnabled);

    for (const auto& [caption, offset, kind] :
         {std::tuple{"Full-name tooltips in stock tree", off::kTreeTooltips, Kind::IntFlag},
          {"Price data tooltips", off::kPriceTooltips, Kind::IntFlag},
          {"Add full name to ticker in tree ", off::kFullNameTree, Kind::WordFlag},
          {"Add full name to ticker in ticker box", off::kFullNameTicker, Kind::WordFlag},
          {"Load all quotes when stock is selected", off::kLoadAllQuotes, Kind::IntFlag}}) {
        layout->addWidget(Flag(caption, offset, kind));
    }

    auto* partialRow = new QHBoxLayout;
    auto* partial =
        static_cast<QCheckBox*>(Flag("Enable partial database loading", off::kPartialLoading));
    QWidget* upto = Number("Load upto:", off::kLoadUpto, 1, INT_MAX, Kind::Int);
    partialRow->addWidget(partial);
    partialRow->addWidget(new QLabel(QStringLiteral("Load upto:"), page));
    partialRow->addWidget(upto);
    partialRow->addStretch(1);
    layout->addLayout(partialRow);
    connect(partial, &QCheckBox::toggled, upto, &QWidget::setEnabled);

    auto* pathRow = new QHBoxLayout;
    databasePath_ = Text("Default database path", off::kDatabasePath, 256);
    auto* browse = new QPushButton(QStringLiteral("..."), page);
    browse->setAutoDefault(false);
    connect(browse, &QPushButton::clicked, this, &PreferencesDialog::BrowseDatabasePath);
    pathRow->addWidget(new QLabel(QStringLiteral("Default database path"), page));
    pathRow->addWidget(databasePath_, 1);
    pathRow->addWidget(browse);
    layout->addLayout(pathRow);
    layout->addStretch(1);
    return page;
}

QWidget* PreferencesDialog::OtherIndicatorsPage() {
    auto* page = new QWidget(this);
    auto* layout = new QVBoxLayout(page);
    auto* form = new QFormLayout;
    form->addRow(QStringLiteral("DMI/ADX range:"),
                 Number("DMI/ADX range:", off::kDmi, 1, kMaxWord));
    layout->addLayout(form);
    auto* sar = new QGroupBox(QStringLiteral("Parabolic SAR"), page);
    auto* sarForm = new QFormLayout(sar);
    sarForm->addRow(QStringLiteral("accel. step:"), Decimal("accel. step:", off::kSarStep));
    sarForm->addRow(QStringLiteral("maximum:"), Decimal("maximum:", off::kSarMax));
    layout->addWidget(sar);
    layout->addStretch(1);
    return page;
}

void PreferencesDialog::Load() {
    const Preferences& p = initial_;
    for (const Binding& b : bindings_) {
        switch (b.kind) {
            case Kind::IntFlag:
                static_cast<QCheckBox*>(b.widget)->setChecked(p.Int(b.offset) != 0);
                break;
            case Kind::WordFlag:
                static_cast<QCheckBox*>(b.widget)->setChecked(p.Word(b.offset) != 0);
                break;
            case Kind::Word:
            case Kind::Int: {
                auto* spin = static_cast<QSpinBox*>(b.widget);
                spin->setValue(b.kind == Kind::Word ? p.Word(b.offset) : p.Int(b.offset));
                // A value outside the box's range is written back only when it is changed.
                spin->setProperty("shown", spin->value());
                break;
            }
            case Kind::Float: {
                auto* spin = static_cast<QDoubleSpinBox*>(b.widget);
                const float v = p.Float(b.offset);
                spin->setValue(std::isfinite(v) ? static_cast<double>(v) : 0.0);
                // A value the box rounds for showing is written back only when it is changed.
                spin->setProperty("shown", spin->value());
                break;
            }
            case Kind::Text:
                static_cast<QLineEdit*>(b.widget)->setText(
                    QString::fromStdString(p.Text(b.offset, b.size)));
                break;
            case Kind::Choice: {
                auto* combo = static_cast<QComboBox*>(b.widget);
                // A value beyond the list shows no entry (and stays unless one is chosen).
                const int v = p.Word(b.offset);
                combo->setCurrentIndex(v < combo->count() ? v : -1);
                break;
            }
        }
    }
    for (int i = 0; i < kColourSettingCount; ++i) {
        colours_[static_cast<std::size_t>(i)]->setCurrentIndex(p.ColourAt(i) & 15);
    }
    SetPalette(palette_);
    // The dependent numbers follow their boxes.
    for (const auto& [box, field] : {std::pair{"Limit number of saved quotations", "Max:"},
                                     {"Enable partial database loading", "Load upto:"}}) {
        auto* check = findChild<QCheckBox*>(QString::fromLatin1(box));
        if (QWidget* w = findChild<QWidget*>(QString::fromLatin1(field))) {
            w->setEnabled(check != nullptr && check->isChecked());
        }
    }
}

void PreferencesDialog::SetPalette(const std::array<int, kPaletteSize>& palette) {
    palette_ = palette;
    for (PaletteColourBox* box : colours_) box->SetPalette(palette_);
}

Preferences PreferencesDialog::Edited() const {
    Preferences p = initial_;
    for (const Binding& b : bindings_) {
        switch (b.kind) {
            // Boxes left as they were keep their field's value (a stored 2 stays 2).
            case Kind::IntFlag: {
                const bool on = static_cast<QCheckBox*>(b.widget)->isChecked();
                if (on != (initial_.Int(b.offset) != 0)) p.SetInt(b.offset, on ? 1 : 0);
                break;
            }
            case Kind::WordFlag: {
                const bool on = static_cast<QCheckBox*>(b.widget)->isChecked();
                if (on != (initial_.Word(b.offset) != 0)) p.SetWord(b.offset, on ? 1 : 0);
                break;
            }
            case Kind::Word:
            case Kind::Int: {
                auto* spin = static_cast<QSpinBox*>(b.widget);
                if (spin->value() == spin->property("shown").toInt()) break;
                if (b.kind == Kind::Word) {
                    p.SetWord(b.offset, spin->value());
                } else {
                    p.SetInt(b.offset, spin->value());
                }
                break;
            }
            case Kind::Float: {
                auto* spin = static_cast<QDoubleSpinBox*>(b.widget);
                if (spin->value() != spin->property("shown").toDouble()) {
                    p.SetFloat(b.offset, static_cast<float>(spin->value()));
                }
                break;
            }
            case Kind::Text: {
                const QString text = static_cast<QLineEdit*>(b.widget)->text();
                // A text that was not touched keeps its bytes, whatever their encoding.
                if (text != QString::fromStdString(initial_.Text(b.offset, b.size))) {
                    p.SetText(b.offset, b.size, text.toStdString());
                }
                break;
            }
            case Kind::Choice: {
                const int index = static_cast<QComboBox*>(b.widget)->currentIndex();
                if (index >= 0) p.SetWord(b.offset, index);
                break;
            }
        }
    }
    for (int i = 0; i < kColourSettingCount; ++i) {
        const int shown = colours_[static_cast<std::size_t>(i)]->currentIndex();
        if (shown != (initial_.ColourAt(i) & 15)) p.SetColourAt(i, shown);
    }
    for (int i = 0; i < kPaletteSize; ++i) {
        const auto e = static_cast<std::size_t>(i);
        if (palette_[e] != initial_.PaletteEntry(i)) p.SetPaletteEntry(i, palette_[e]);
    }
    return p;
}

void PreferencesDialog::EditPalette() {
    PaletteEditorDialog editor(palette_, this);
    if (editor.exec() == QDialog::Accepted) SetPalette(editor.Palette());
}

void PreferencesDialog::BrowseDatabasePath() {
    auto* edit = static_cast<QLineEdit*>(databasePath_);
    const QString dir = QFileDialog::getExistingDirectory(this, QString(), edit->text());
    if (!dir.isEmpty()) edit->setText(dir);
}

void PreferencesDialog::accept() {
    Preferences& prefs = context_.Services().prefs;
    const Preferences edited = Edited();
    const bool namesChanged = edited.FullNameInTree() != prefs.FullNameInTree() ||
                              edited.FullNameInTickerBox() != prefs.FullNameInTickerBox() ||
                              edited.FullNameTooltipsInTree() != prefs.FullNameTooltipsInTree();
    prefs = edited;
    QDialog::accept();
    if (namesChanged) context_.RebuildStockTree(true);
    context_.RefreshCharts(kFullRefreshFlags);
}

void ShowPreferences(GuiContext& context, QWidget* parent) {
    PreferencesDialog dialog(context, parent);
    dialog.exec();
}

}  // namespace velmora::gui
