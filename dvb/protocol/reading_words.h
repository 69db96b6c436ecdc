// What azimora-dvb says of a reading beyond the program's three figures,
// in the words of its replies, so that each reading carries them:
//   RefreshSignalReadings  ok unit decibel | unit decibel-or-more |
//                          unit decibel-or-less | unit derived [refresh MS]
//       what the s/n of the reading it took is (cardbase/signal_scale.h),
//       and how often the driver measures it, where known
//   QuerySignalStatus      fail searching MS ms
//       no lock, and no reading came for MS ms while the driver searched
// A helper that says neither (an older one) answers "ok" and "fail no lock".
// Platform-neutral: both sides build it.
#pragma once
#include <cstdint>
#include <string>

#include "cardbase/signal_scale.h"

std::string readingUnitWords(SnrUnit unit, uint32_t refreshMs = 0);
// SnrUnitOfCard for words that say no unit.
SnrUnit readingUnitOf(const std::string& words);
// 0 where the words say no refresh.
uint32_t readingRefreshOf(const std::string& words);

std::string searchingReason(uint32_t searchingMs);
// 0 for any other reason.
uint32_t searchingMsOf(const std::string& reason);
