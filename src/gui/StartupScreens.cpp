#include "gui/StartupScreens.h"

#include <QCheckBox>
#include <QDialogButtonBox>
#include <QLabel>
#include <QPushButton>
#include <QTimer>
#include <QVBoxLayout>
#include <array>

#include "automation/AApplication.h"
#include "platform/InstallLayout.h"
#include "platform/SettingsStore.h"

namespace velmora::gui {

namespace {

constexpr char kStartUpKey[] = "StartUp";
constexpr char kNextKey[] = "Next";

const std::array<const char*, 7> kTips = {
    "Ctrl+F finds a stock by its ticker or a part of its name.",
    "The mouse wheel zooms the chart around the mouse; dragging the empty chart moves through "
    "the history.",
    "View > Crosshair follows the mouse over every chart pane and shows the date and value "
    "under it in the status bar.",
    "Drag a rectangle on the risk/yield map to zoom into it; a click on a point opens its stock.",
    "Analysis > Quick Review ranks the stocks of one day by their returns.",
    "A right click on a stock in the stock tree opens it in a new window, shows its "
    "information or adds it to the favourites.",
    "\"Save preferences\" keeps the preferences changed with OK for the next start.",
};

}  // namespace

QString AboutText() {
    // The automation interface keeps the version number that scripts written for it check.
    return QObject::tr(
               "Velmora %1\nEnd-of-day technical analysis of stocks, indexes and funds.\n\n"
               "Automation interface %2")
        .arg(QString::fromUtf8(ProgramVersion().data(),
                               static_cast<qsizetype>(ProgramVersion().size())),
             QString::fromLatin1(kAutomationVersion));
}

QDialog* ShowAboutAtStart(QWidget* parent) {
    auto* about = new QDialog(parent);
    about->setAttribute(Qt::WA_DeleteOnClose);
    about->setWindowTitle(QObject::tr("About Velmora"));
    auto* layout = new QVBoxLayout(about);
    layout->addWidget(new QLabel(AboutText(), about));
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok, about);
    QObject::connect(buttons, &QDialogButtonBox::accepted, about, &QDialog::accept);
    layout->addWidget(buttons);
    QTimer::singleShot(kAboutAtStartMs, about, &QDialog::accept);
    about->show();
    return about;
}

bool TipsAtStartUp(const SettingsStore& settings) {
    return settings.GetInt(kTipsSection, kStartUpKey, 1) != 0;
}

TipOfTheDayDialog::TipOfTheDayDialog(SettingsStore& settings, QWidget* parent)
    : QDialog(parent), settings_(settings) {
    setWindowTitle(tr("Tip of the Day"));
    const int stored = settings_.GetInt(kTipsSection, kNextKey, 0);
    const int count = static_cast<int>(kTips.size());
    index_ = stored >= 0 && stored < count ? stored : 0;
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(new QLabel(tr("Did you know..."), this));
    tip_ = new QLabel(this);
    tip_->setWordWrap(true);
    tip_->setMinimumWidth(320);
    layout->addWidget(tip_);
    showAtStart_ = new QCheckBox(tr("&Show tips at startup"), this);
    showAtStart_->setChecked(TipsAtStartUp(settings_));
    connect(showAtStart_, &QCheckBox::toggled, this,
            [this](bool on) { settings_.SetInt(kTipsSection, kStartUpKey, on ? 1 : 0); });
    layout->addWidget(showAtStart_);
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Close, this);
    QPushButton* next = buttons->addButton(tr("&Next Tip"), QDialogButtonBox::ActionRole);
    connect(next, &QPushButton::clicked, this, &TipOfTheDayDialog::NextTip);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    layout->addWidget(buttons);
    NextTip();
}

QString TipOfTheDayDialog::Tip() const {
    return tip_->text();
}

void TipOfTheDayDialog::NextTip() {
    // Each tip shown moves the stored position on, so the next start shows the next tip.
    tip_->setText(tr(kTips[static_cast<std::size_t>(index_)]));
    index_ = (index_ + 1) % static_cast<int>(kTips.size());
    settings_.SetInt(kTipsSection, kNextKey, index_);
}

TipOfTheDayDialog* ShowTipOfTheDay(SettingsStore& settings, QWidget* parent, bool atStart) {
    if (atStart && !TipsAtStartUp(settings)) return nullptr;
    auto* tip = new TipOfTheDayDialog(settings, parent);
    tip->setAttribute(Qt::WA_DeleteOnClose);
    tip->show();
    return tip;
}

}  // namespace velmora::gui
