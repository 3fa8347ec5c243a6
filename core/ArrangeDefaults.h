// The Arrange modes' count and the user's tempo and threshold as a new settings file starts them.
#pragma once

const int KV_ARRANGE_COUNT = 9;           // 0 None, 1..4 Dynamic, 5..8 Static
const int KV_DEFAULT_TEMPO = 140;         // Static User, beats per minute; also what a tempo below 1 becomes
const int KV_DEFAULT_THRESHOLD = 200;     // Dynamic User, the change of level that switches
