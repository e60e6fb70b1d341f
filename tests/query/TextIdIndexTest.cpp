#include "units/query/TextIdIndex.hpp"

#include <gtest/gtest.h>
#include <map>
#include <random>
#include <string>

namespace {

using CvUnitSys::TextIdIndex;

// Erasing shifts runs back across the wrap of the slots; a wrong shift loses
// or hides a later text. Checked against a map through growth and churn.
TEST(TextIdIndex, FindsWhatWasInsertedAndNotWhatWasErased) {
    TextIdIndex index;
    std::map<std::int32_t, std::u16string> texts;
    const auto textOf = [&](std::int32_t id) -> std::u16string_view { return texts.at(id); };
    std::mt19937 random(7);
    std::int32_t next = 0;
    for (int step = 0; step < 20000; ++step) {
        if (texts.size() < 300 && random() % 3 != 0) {
            std::u16string text = u"t";
            for (std::int32_t n = next; n > 0; n /= 10) {
                text += static_cast<char16_t>(u'0' + n % 10);
            }
            index.insert(text, next);
            texts.emplace(next++, std::move(text));
        } else if (!texts.empty()) {
            auto gone = std::next(texts.begin(), static_cast<long>(random() % texts.size()));
            index.erase(gone->second, gone->first);
            const std::u16string text = gone->second;
            texts.erase(gone);
            ASSERT_EQ(index.find(text, textOf), TextIdIndex::noId) << step;
        }
    }
    for (const auto& [id, text] : texts) {
        EXPECT_EQ(index.find(text, textOf), id);
    }
    EXPECT_EQ(index.find(u"absent", textOf), TextIdIndex::noId);
}

} // namespace
