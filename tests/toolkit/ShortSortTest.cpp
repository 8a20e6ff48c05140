// The stable sort of short lists: the same order as the library's stable sort, equal keys in the
// order they came, on lists with many ties.
#include "toolkit/ShortSort.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <utility>
#include <vector>

namespace {

TEST(ShortSortTest, OrdersAsTheLibrarysStableSort) {
  const auto byKey = [](const std::pair<int, int>& a, const std::pair<int, int>& b) {
    return a.first < b.first;
  };
  for (int size : {0, 1, 2, 5, 40}) {
    std::vector<std::pair<int, int>> list;
    // Keys from a small range, so that most have equals; the second of each pair is its place.
    for (int i = 0; i < size; ++i) list.emplace_back((i * 7 + 3) % 5, i);
    auto expected = list;
    std::stable_sort(expected.begin(), expected.end(), byKey);
    toolkit::ShortStableSort(list.begin(), list.end(), byKey);
    EXPECT_EQ(list, expected) << size;
  }
}

}  // namespace
