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
    ShownRect r{c.Left, c.Top, c.Width, c.Height};
    for (auto* box = dynamic_cast<const PictureBox*>(c.Parent()); box;
         box = dynamic_cast<const PictureBox*>(box->Parent())) {
        r.Left += box->Left;
        r.Top += box->Top;
    }
    return r;
}

}  // namespace orv
