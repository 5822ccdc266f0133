#include "link/link_engine.h"

namespace kestrix {

LinkEngine::LinkEngine(Context& context) : ctx_(context) {}

void LinkEngine::wire() { ctx_.forms.form1.Timer1.onTick = [this] { tick(); }; }

void LinkEngine::tick() {}

}  // namespace kestrix
