trellion_add_fuzzer(fuzz_scene SOURCES fuzz_scene.cpp LIBS trellion_scene)

# The seed corpus is the output of fuzz_scene_corpus; the test keeps the committed files and the
# generator in step.
if(NOT TRELLION_FUZZ)
    add_executable(fuzz_scene_corpus ${CMAKE_CURRENT_SOURCE_DIR}/fuzz_scene_corpus.cpp)
    target_link_libraries(fuzz_scene_corpus PRIVATE trellion_scene)
    add_test(NAME fuzz_scene_corpus_current
             COMMAND fuzz_scene_corpus --check ${CMAKE_CURRENT_SOURCE_DIR}/corpus/fuzz_scene)
endif()
