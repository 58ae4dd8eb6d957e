# Scene file saving and the whole conversion of a 2,000 x 2,000-point ILDA file against the bare
# I/O of the same bytes.
trellion_add_bench(scenebench SOURCES ${CMAKE_CURRENT_LIST_DIR}/scenebench.cpp
    LIBS trellion_scene trellion_ilda)
