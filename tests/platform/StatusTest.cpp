#include <gtest/gtest.h>

#include <cerrno>
#include <string>
#include <vector>

#include "platform/Status.h"

namespace velmora {
namespace {

TEST(Status, FileFailureNamesWhatThePathAndTheSystemsReason) {
    const Status s = Status::FileError("cannot write", "/w/KGHM.dat", ENOSPC);
    EXPECT_FALSE(s);
    EXPECT_EQ(s.ErrorNumber(), ENOSPC);
    EXPECT_EQ(s.ToString(), "cannot write /w/KGHM.dat: No space left on device");
    // Without an error number there is no reason to give.
    EXPECT_EQ(Status::FileError("not a stock file", "/w/x.dat").ToString(),
              "not a stock file /w/x.dat");
    EXPECT_EQ(Status::Error("bad range").ToString(), "bad range");
    EXPECT_EQ(Status::Ok().ToString(), "OK");
}

TEST(Status, ErrnoStatusTellsAMissingFileFromAnUnreadableOne) {
    errno = ENOENT;
    EXPECT_EQ(ErrnoStatus("cannot open", "/a").Code(), StatusCode::NotFound);
    errno = EACCES;
    const Status denied = ErrnoStatus("cannot open", "/a");
    EXPECT_EQ(denied.Code(), StatusCode::IoError);
    EXPECT_EQ(denied.ToString(), "cannot open /a: Permission denied");
    // A failure can never carry the success code.
    EXPECT_EQ(Status::Error("x", StatusCode::Ok).Code(), StatusCode::Failed);
}

TEST(Status, UpdateKeepsTheFirstFailure) {
    Status s;
    s.Update(Status::Ok());
    EXPECT_TRUE(s);
    s.Update(Status::Error("first")).Update(Status::Error("second"));
    EXPECT_EQ(s.Message(), "first");
}

TEST(Result, HoldsTheValueOrTheFailureNeverBoth) {
    Result<std::vector<int>> good(std::vector<int>{1, 2});
    ASSERT_TRUE(good);
    EXPECT_EQ(good->size(), 2u);
    EXPECT_TRUE(good.GetStatus());

    Result<int> bad(Status::FileError("cannot read", "/p", EACCES));
    EXPECT_FALSE(bad);
    EXPECT_EQ(bad.GetStatus().ErrorNumber(), EACCES);
    EXPECT_EQ(bad.ValueOr(7), 7);
    // A success status without a value is still a failure.
    Result<int> none{Status::Ok()};
    EXPECT_FALSE(none);
    EXPECT_FALSE(none.GetStatus());
}

}  // namespace
}  // namespace velmora
