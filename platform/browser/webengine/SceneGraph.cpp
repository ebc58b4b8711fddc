#include "browser/webengine/SceneGraph.h"

#include <QQuickWindow>
#include <QSGRendererInterface>

#if defined(Q_OS_LINUX)
#include <dirent.h>
#include <unistd.h>

#include <cstring>
#endif

namespace tk {

namespace {

bool truthy(const char *name)
{
    const QByteArray v = qgetenv(name).trimmed().toLower();
    return !v.isEmpty() && v != "0" && v != "false" && v != "no";
}

// Mesa draws on the GPU through a render node; without one it can only
// rasterise in software (llvmpipe), as on a virtual or headless display.
bool hasGpuRenderNode()
{
#if defined(Q_OS_LINUX)
    DIR *dri = ::opendir("/dev/dri");
    if (!dri)
        return false;
    bool found = false;
    while (const dirent *entry = ::readdir(dri)) {
        if (std::strncmp(entry->d_name, "renderD", 7) != 0)
            continue;
        const std::string path = std::string("/dev/dri/") + entry->d_name;
        if (::access(path.c_str(), R_OK | W_OK) == 0) {
            found = true;
            break;
        }
    }
    ::closedir(dri);
    return found;
#else
    return true; // elsewhere the platform's own GL path is left as it is
#endif
}

} // namespace

SceneGraph sceneGraphFor(const GraphicsFacts &facts)
{
    if (facts.forced == QLatin1String("software"))
        return SceneGraph::Software;
    if (facts.forced == QLatin1String("default") || facts.userChose)
        return SceneGraph::Default;
    return facts.softwareGl || !facts.gpuDevice ? SceneGraph::Software : SceneGraph::Default;
}

GraphicsFacts currentGraphicsFacts()
{
    GraphicsFacts facts;
    facts.forced = QString::fromLocal8Bit(qgetenv("TAVRIN_SCENE_GRAPH")).trimmed().toLower();
    facts.userChose =
        !qEnvironmentVariableIsEmpty("QT_QUICK_BACKEND") || !qEnvironmentVariableIsEmpty("QSG_RHI_BACKEND");
    facts.softwareGl = truthy("LIBGL_ALWAYS_SOFTWARE");
    // Only looked at when nothing else decides.
    if (facts.forced.isEmpty() && !facts.userChose && !facts.softwareGl)
        facts.gpuDevice = hasGpuRenderNode();
    return facts;
}

SceneGraph chooseSceneGraph()
{
    const SceneGraph choice = sceneGraphFor(currentGraphicsFacts());
    // Set through the API, not the environment: programs we start (the
    // desktop's browser for the about page) keep their own choice.
    if (choice == SceneGraph::Software)
        QQuickWindow::setGraphicsApi(QSGRendererInterface::Software);
    return choice;
}

} // namespace tk
