# Converting a batch of show-sized ILDA files with the vertex pool's page-populating thread on
# and off, in one run.
trellion_add_bench(showbatchbench SOURCES ${CMAKE_CURRENT_LIST_DIR}/showbatchbench.cpp
    LIBS trellion_scene trellion_ilda trellion_model)
