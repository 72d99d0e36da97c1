// The module holds exactly the bitmaps the editor and the preset bar load, at the sizes their code
// draws with.
#include <gtest/gtest.h>

#include <set>
#include <utility>

#include "bitmap_access.h"

namespace {

struct Expected {
    int id, width, height;
};

// Sizes as the editor's bitmap table and the preset bar's control rectangles require them.
constexpr Expected kExpected[] = {
    {128, 524, 462}, {129, 15, 432},  {130, 15, 432},  {131, 27, 367},   {132, 27, 367},   {133, 27, 367},
    {134, 27, 367},  {135, 27, 367},  {136, 27, 367},  {137, 5, 1536},   {138, 5, 1536},   {139, 33, 38},
    {140, 33, 38},   {141, 35, 392},  {142, 33, 114},  {143, 33, 133},   {144, 33, 57},    {145, 33, 133},
    {146, 90, 75},   {147, 48, 4747}, {148, 48, 4747}, {149, 35, 70},    {150, 56, 5555},  {151, 58, 5656},
    {152, 50, 4848}, {153, 49, 4747}, {154, 15, 432},  {155, 15, 432},   {156, 15, 203},   {158, 5, 1536},
    {159, 5, 1536},  {160, 33, 57},   {161, 18, 72},   {162, 33, 38},    {163, 33, 57},    {164, 33, 57},
    {165, 33, 57},   {166, 33, 57},   {167, 58, 306},  {990, 17, 45},    {991, 17, 45},    {992, 32, 39},
    {993, 44, 39},   {994, 13, 36},   {995, 30, 65},
};

TEST(BitmapSet, HoldsEveryLoadedBitmapAtTheSizeItsControlDrawsWith) {
    for (const Expected& e : kExpected) {
        const resources::ResourceBitmap* b = resources::findBitmap(e.id);
        ASSERT_NE(b, nullptr) << "bitmap " << e.id;
        EXPECT_EQ(b->id, e.id);
        EXPECT_EQ(b->width, e.width) << "bitmap " << e.id;
        EXPECT_EQ(b->height, e.height) << "bitmap " << e.id;
        EXPECT_NE(b->rgb, nullptr);
    }
}

// The larger sets: every logical size rounded up at the scale, a strip's frames each rounded up, so
// that a frame covers the device pixels of its control wherever it stands.
TEST(BitmapSet, LargerSetsHoldEachBitmapAtItsScaledSizeFrameByFrame) {
    const std::pair<int, int> knownFrames[] = {{128, 1}, {130, 1}, {137, 192}, {139, 2}, {141, 7}, {146, 3},
                                               {147, 101}, {151, 101}, {161, 3}, {167, 2}, {990, 3}, {995, 5}};
    for (const auto& [id, frames] : knownFrames) EXPECT_EQ(resources::bitmapFrames(id), frames) << "bitmap " << id;
    for (const int percent : {150, 200}) {
        for (const Expected& e : kExpected) {
            const resources::ResourceBitmap* b = resources::findBitmap(e.id, percent);
            ASSERT_NE(b, nullptr) << "bitmap " << e.id << " at " << percent;
            const int frames = resources::bitmapFrames(e.id);
            ASSERT_EQ(e.height % frames, 0) << "bitmap " << e.id;
            EXPECT_EQ(b->width, (e.width * percent + 99) / 100) << "bitmap " << e.id << " at " << percent;
            EXPECT_EQ(b->height, frames * ((e.height / frames * percent + 99) / 100))
                << "bitmap " << e.id << " at " << percent;
        }
        EXPECT_EQ(resources::findBitmap(157, percent), nullptr);
    }
    EXPECT_EQ(resources::findBitmap(128, 125), nullptr) << "only the three scales exist";
    EXPECT_EQ(resources::findBitmap(128, 100), resources::findBitmap(128));
}

TEST(BitmapSet, HasFortyFiveBitmapsAndNoInfoPanelBackground) {
    EXPECT_EQ(resources::bitmapCount(), std::size(kExpected));
    EXPECT_EQ(resources::findBitmap(157), nullptr) << "the info panel must show the window background";
    for (int id : {0, -1, 127, 168, 989, 996, 1000}) EXPECT_EQ(resources::findBitmap(id), nullptr) << id;
}

TEST(BitmapSet, ListsBitmapsInAscendingIdOrderWithoutRepeats) {
    std::set<int> seen;
    int previous = 0;
    for (std::size_t i = 0; i < resources::bitmapCount(); ++i) {
        const resources::ResourceBitmap& b = resources::bitmapAt(i);
        EXPECT_GT(b.id, previous);
        previous = b.id;
        EXPECT_EQ(resources::findBitmap(b.id), &b) << "lookup must find the listed bitmap " << b.id;
        seen.insert(b.id);
    }
    EXPECT_EQ(seen.size(), resources::bitmapCount());
}

}  // namespace
