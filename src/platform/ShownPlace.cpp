#include "platform/ShownPlace.h"

#include "platform/Controls.h"

namespace orv {

std::function<std::optional<ShownRect>(const Control&)>& ShownPlaceHook() {
    static std::function<std::optional<ShownRect>(const Control&)> hook;
    return hook;
}

ShownRect ShownPlace(const Control& c) {
    if (ShownPlaceHook())
        if (std::optional<ShownRect> r = ShownPlaceHook()(c)) return *r;
    return ShownRect{c.Left, c.Top, c.Width, c.Height};
}

}  // namespace orv
