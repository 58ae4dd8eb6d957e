# Building the vertices of a batch of show-sized files with and without the vertex pool's
# expectation hint, in one run.
trellion_add_bench(showbatchbench SOURCES ${CMAKE_CURRENT_LIST_DIR}/showbatchbench.cpp
    LIBS trellion_model)
