# Writing the large scene file with the output file's background writer on and off, in one run.
trellion_add_bench(outputwriterbench SOURCES ${CMAKE_CURRENT_LIST_DIR}/outputwriterbench.cpp
    LIBS trellion_scene trellion_ilda trellion_model trellion_platform)
