# The web browser component on Qt WebEngine (kept apart so the toolkit and
# its tests don't pull in the engine).
add_library(tk_webengine STATIC QtWebBrowser.cpp)
target_link_libraries(tk_webengine PUBLIC tk Qt6::WebEngineWidgets)
