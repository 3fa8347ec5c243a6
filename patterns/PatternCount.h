// The number of patterns, 0 (the analyser's values) to 16: the pattern table's size, which the layers above share.
#pragma once

const int KV_PATTERN_COUNT = 17;
