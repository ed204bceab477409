// The image candidates of a srcset attribute (IMG and SOURCE in PICTURE):
// "small.png 1x, large.png 2x" names two images. Each is fetched as an image
// of the page, and each URL is rewritten where it stands, the width and
// density descriptors kept.
#pragma once

#include <cstddef>
#include <string_view>
#include <vector>

namespace vorlin {

struct TSrcsetCandidate {
    size_t Position = 0;  // of the URL in the attribute value, from 0
    size_t Length = 0;
};

// The URLs of a srcset value, in order, as a browser splits it: candidates
// separated by commas; a URL runs to the next blank (commas inside it, as in
// data: URLs, belong to it; commas that end it separate); descriptors run to
// the next comma outside brackets.
std::vector<TSrcsetCandidate> SrcsetCandidates(std::string_view value);

} // namespace vorlin
