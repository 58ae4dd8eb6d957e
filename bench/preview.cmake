# The preview's load of the 2,000 x 2,000-point ILDA file, a full frame's draw and a tick,
# through the window on the offscreen platform.
trellion_add_bench(previewbench SOURCES ${CMAKE_CURRENT_LIST_DIR}/previewbench.cpp
    LIBS trellion_app trellion_ilda trellion_render trellion_model Qt6::Widgets)
