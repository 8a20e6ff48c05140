// A stable sort for the short lists the program orders (the AutoCAD products on a machine, a
// form's controls by tab order): insertion, a few dozen instructions, where the library's merge
// sort brings a kilobyte or more of code for each type it sorts.
#pragma once

#include <algorithm>
#include <iterator>

namespace toolkit {

// Orders [first, last) by `less`; entries that are equivalent keep their order.
template <class Iterator, class Less>
void ShortStableSort(Iterator first, Iterator last, Less less) {
  for (Iterator at = first; at != last; ++at) {
    std::rotate(std::upper_bound(first, at, *at, less), at, std::next(at));
  }
}

}  // namespace toolkit
