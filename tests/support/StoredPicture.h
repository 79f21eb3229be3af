#pragma once
// Compares a painted picture with one stored in the source tree
// (KC_SOURCE_DIR + RelativePath). With KC_UPDATE_RENDER=1 the picture is
// stored first: look at it before committing it.
#include <QImage>

#include <string>

namespace kctest {

void ExpectMatchesStoredPicture(const QImage &Got, const std::string &RelativePath);

} // namespace kctest
