#pragma once
// Which scene graph the engine's view draws through. Qt Quick's software
// scene graph is faster to start and lighter than OpenGL when OpenGL itself
// is drawn in software (no GPU driver on the desktop): chosen then, before
// the application object exists. With a GPU the OpenGL path stays untouched.

#include <QString>

namespace tk {

enum class SceneGraph { Default, Software };

// What the choice depends on, read once at start-up.
struct GraphicsFacts {
    QString forced;          // TAVRIN_SCENE_GRAPH: "software" or "default", for tests and users
    bool userChose = false;  // QT_QUICK_BACKEND or QSG_RHI_BACKEND set: theirs stands
    bool softwareGl = false; // LIBGL_ALWAYS_SOFTWARE: Mesa told to draw in software
    bool gpuDevice = true;   // a GPU render node this user may open
};

SceneGraph sceneGraphFor(const GraphicsFacts &facts);

// The facts of this process: its environment, and on Linux the render
// nodes under /dev/dri (a directory listing, no driver loaded).
GraphicsFacts currentGraphicsFacts();

// Decides and applies; call before the application object is created.
SceneGraph chooseSceneGraph();

} // namespace tk
