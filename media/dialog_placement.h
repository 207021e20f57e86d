#pragma once

class QWidget;

namespace duvara {

// Centres a dialog on the screen its player window is on, so that it opens over a fullscreen
// picture on the second monitor rather than on the first.
void CentreOnPlayerScreen(QWidget &dialog);

} // namespace duvara
