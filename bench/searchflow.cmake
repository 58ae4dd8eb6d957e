# A search through the window (its handlers bound: caption, status texts, sorted insertion into
# the found-file list) against the bare engine over the same generated tree, and the found-file
# list's insertion at growing sizes; on the offscreen platform.
trellion_add_bench(searchflowbench
    SOURCES ${CMAKE_CURRENT_LIST_DIR}/searchflowbench.cpp ${CMAKE_CURRENT_LIST_DIR}/searchtree.cpp
    LIBS trellion_app trellion_search Qt6::Widgets)
