#pragma once

#include <QString>

#include <functional>

class QLabel;
class QUrl;

// Labels that behave like web links: blue, red and underlined under the pointer, purple once
// visited. A link label's target is its tag (the TagProperty dynamic property); its text is only
// what the user reads.
namespace HTMLLink {

inline constexpr const char *TagProperty = "tag";

enum LinkCode { LinkLoad = 1, LinkClick = 2, LinkAway = 3, LinkOver = 4 };

// Applies one link event to label; LinkClick also opens the label's tag. Other codes do nothing.
void LinkEvent(QLabel *label, int code);

// Opens a web or mail address with the desktop's handler, without waiting; the result is
// ignored, as nothing useful can be done when no browser or mail program is registered.
void OpenTarget(const QString &target);

// Replaces how addresses are opened (tests); an empty function restores the desktop's handler.
using Opener = std::function<void(const QUrl &)>;
void SetOpener(Opener opener);

} // namespace HTMLLink
