trellion_add_bench(renderbench
    SOURCES ${CMAKE_CURRENT_LIST_DIR}/renderbench.cpp
    LIBS trellion_render trellion_model Qt6::Gui
)
