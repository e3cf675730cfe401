// The QApplication of the desktop program's tests, on the offscreen platform.

#include <gtest/gtest.h>

#include <QApplication>
#include <memory>

#include "chart/qt/QtCanvas.h"
#include "gui/ProfileView.h"

namespace {

class QtEnvironment final : public ::testing::Environment {
  public:
    void SetUp() override {
        qputenv("QT_QPA_PLATFORM", "offscreen");
        if (QApplication::instance() == nullptr) {
            velmora::gui::ProfileView::PrepareApplication();
            app_ = std::make_unique<QApplication>(argc_, argv_);
            velmora::KeepPortableNumbers();
        }
    }
    void TearDown() override { app_.reset(); }

  private:
    int argc_ = 1;
    char name_[16] = "velmora_tests";
    char* argv_[2] = {name_, nullptr};
    std::unique_ptr<QApplication> app_;
};

[[maybe_unused]] ::testing::Environment* const environment =
    ::testing::AddGlobalTestEnvironment(new QtEnvironment);

}  // namespace
