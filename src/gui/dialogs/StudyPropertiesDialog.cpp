#include "gui/dialogs/StudyPropertiesDialog.h"

#include <QCheckBox>
#include <QDateEdit>
#include <QDialogButtonBox>
#include <QDoubleValidator>
#include <QFormLayout>
#include <QImage>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QPainter>
#include <QPixmap>
#include <QPlainTextEdit>
#include <QVBoxLayout>
#include <cmath>

#include "chart/qt/QtCanvas.h"
#include "database/PackedDate.h"
#include "gui/FormFields.h"
#include "gui/QtUserInterface.h"
#include "platform/PlainText.h"

namespace velmora::gui {

namespace {

float ReadValue(const QLineEdit* edit, float fallback) {
    bool ok = false;
    const float v = edit->text().trimmed().toFloat(&ok);
    // "inf" and "nan" read as numbers but place no point on a chart.
    return ok && std::isfinite(v) ? v : fallback;
}

QDialogButtonBox* AddButtons(QDialog* dialog, QLayout* layout) {
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, dialog);
    QObject::connect(buttons, &QDialogButtonBox::accepted, dialog, &QDialog::accept);
    QObject::connect(buttons, &QDialogButtonBox::rejected, dialog, &QDialog::reject);
    layout->addWidget(buttons);
    return buttons;
}

}  // namespace

PaletteComboBox::PaletteComboBox(const ChartPalette& palette, QWidget* parent) : QComboBox(parent) {
    // The colour itself, framed; the palette number only as the tooltip.
    const QSize size(56, 14);
    for (int i = 0; i < 16; ++i) {
        QPixmap swatch(size);
        swatch.fill(QColor::fromRgb(palette.Rgb(i)));
        QPainter frame(&swatch);
        frame.setPen(Qt::darkGray);
        frame.drawRect(swatch.rect().adjusted(0, 0, -1, -1));
        frame.end();
        addItem(QIcon(swatch), QString());
        setItemData(i, QStringLiteral("Palette colour %1").arg(i), Qt::ToolTipRole);
    }
    setIconSize(size);
}

TrendLinePropertiesDialog::TrendLinePropertiesDialog(const TrendLineProperties& p,
                                                     const ChartPalette& palette, QWidget* parent)
    : QDialog(parent), initial_(p) {
    setWindowTitle(QString::fromLatin1(TrendLineProperties::kCaption));
    const auto& labels = TrendLineProperties::kLabels;
    auto* layout = new QVBoxLayout(this);
    auto* form = new QFormLayout;
    startX_ = MakeDateEdit(p.startX, QDate(2000, 1, 1), this);
    endX_ = MakeDateEdit(p.endX, QDate(2000, 1, 1), this);
    startY_ = MakeNumberEdit(p.startY, this);
    endY_ = MakeNumberEdit(p.endY, this);
    colour_ = new PaletteComboBox(palette, this);
    colour_->SetIndex(p.colour);
    form->addRow(QString::fromLatin1(labels[0]), startX_);
    form->addRow(QString::fromLatin1(labels[1]), endX_);
    form->addRow(QString::fromLatin1(labels[2]), startY_);
    form->addRow(QString::fromLatin1(labels[3]), endY_);
    form->addRow(QString::fromLatin1(labels[4]), colour_);
    layout->addLayout(form);
    thick_ = new QCheckBox(QString::fromLatin1(labels[5]), this);
    dotted_ = new QCheckBox(QString::fromLatin1(labels[6]), this);
    leftExtend_ = new QCheckBox(QString::fromLatin1(labels[7]), this);
    rightExtend_ = new QCheckBox(QString::fromLatin1(labels[8]), this);
    thick_->setChecked(p.thick);
    dotted_->setChecked(p.dotted);
    leftExtend_->setChecked(p.leftExtend);
    rightExtend_->setChecked(p.rightExtend);
    for (QCheckBox* box : {thick_, dotted_, leftExtend_, rightExtend_}) layout->addWidget(box);
    AddButtons(this, layout);
}

TrendLineProperties TrendLinePropertiesDialog::Properties() const {
    TrendLineProperties p = initial_;
    p.startX = FromQDate(startX_->date());
    p.endX = FromQDate(endX_->date());
    p.startY = ReadValue(startY_, initial_.startY);
    p.endY = ReadValue(endY_, initial_.endY);
    p.colour = colour_->Index();
    p.thick = thick_->isChecked();
    p.dotted = dotted_->isChecked();
    p.leftExtend = leftExtend_->isChecked();
    p.rightExtend = rightExtend_->isChecked();
    return p;
}

TextBoxPropertiesDialog::TextBoxPropertiesDialog(const TextBoxProperties& p,
                                                 const ChartPalette& palette, QWidget* parent)
    : QDialog(parent), initial_(p) {
    setWindowTitle(QString::fromLatin1(TextBoxProperties::kCaption));
    const auto& labels = TextBoxProperties::kLabels;
    auto* layout = new QVBoxLayout(this);
    auto* form = new QFormLayout;
    startX_ = MakeDateEdit(p.startX, QDate(2000, 1, 1), this);
    startY_ = MakeNumberEdit(p.startY, this);
    form->addRow(QString::fromLatin1(labels[0]), startX_);
    form->addRow(QString::fromLatin1(labels[1]), startY_);
    layout->addLayout(form);
    QString text = QString::fromUtf8(p.text.data(), static_cast<qsizetype>(p.text.size()));
    text.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    text_ = new QPlainTextEdit(text, this);
    text_->setFont(QtCanvas::ChartFont());
    // The Tab key moves on to the next control: a study's text holds no tabs.
    text_->setTabChangesFocus(true);
    layout->addWidget(text_);
    auto* colours = new QFormLayout;
    textColour_ = new PaletteComboBox(palette, this);
    textColour_->SetIndex(p.textColour);
    background_ = new PaletteComboBox(palette, this);
    background_->SetIndex(p.background);
    colours->addRow(QString::fromLatin1(labels[2]), textColour_);
    colours->addRow(QString::fromLatin1(labels[3]), background_);
    layout->addLayout(colours);
    transparent_ = new QCheckBox(QString::fromLatin1(labels[4]), this);
    transparent_->setChecked(p.transparent);
    layout->addWidget(transparent_);
    AddButtons(this, layout);
}

TextBoxProperties TextBoxPropertiesDialog::Properties() const {
    TextBoxProperties p = initial_;
    p.startX = FromQDate(startX_->date());
    p.startY = ReadValue(startY_, initial_.startY);
    QString text = text_->toPlainText();
    text.remove(QLatin1Char('\r'));
    text.replace(QLatin1Char('\n'), QStringLiteral("\r\n"));
    p.text = text.toStdString();
    p.textColour = textColour_->Index();
    p.background = background_->Index();
    p.transparent = transparent_->isChecked();
    return p;
}

void TextBoxPropertiesDialog::accept() {
    if (const Status plain = CheckNoTab("The text", Properties().text); !plain) {
        QMessageBox::information(this, kProgramTitle, ToQString(plain.ToString()));
        return;
    }
    QDialog::accept();
}

bool EditTrendLineProperties(TrendLineProperties& properties, const ChartPalette& palette,
                             QWidget* parent) {
    TrendLinePropertiesDialog dialog(properties, palette, parent);
    if (dialog.exec() != QDialog::Accepted) return false;
    properties = dialog.Properties();
    return true;
}

bool EditTextBoxProperties(TextBoxProperties& properties, const ChartPalette& palette,
                           QWidget* parent) {
    TextBoxPropertiesDialog dialog(properties, palette, parent);
    if (dialog.exec() != QDialog::Accepted) return false;
    properties = dialog.Properties();
    return true;
}

TextMeasure ChartTextMeasure() {
    return [](std::string_view text) {
        QImage image(1, 1, QImage::Format_RGB32);
        QPainter painter(&image);
        QtCanvas canvas(painter);
        return MeasureStudyText(canvas, text);
    };
}

}  // namespace velmora::gui
