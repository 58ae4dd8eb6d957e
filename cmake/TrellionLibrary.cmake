# The libraries are layered from the bottom, and a library may use only libraries of layers
# below its own. Each library exports only its own include root (<folder>/include), so a
# header of a library it does not link cannot be included, and linking one of a layer above
# (or of its own) stops the configuration.
set(TRELLION_LAYERS platform settings model formats operations controls widgets programs)

# trellion_library(NAME LAYER layer SOURCES file... [PUBLIC lib...] [PRIVATE lib...])
function(trellion_library name)
    cmake_parse_arguments(L "" "LAYER" "SOURCES;PUBLIC;PRIVATE" ${ARGN})
    list(FIND TRELLION_LAYERS "${L_LAYER}" layer)
    if(layer LESS 0)
        message(FATAL_ERROR "${name}: unknown layer '${L_LAYER}' (${TRELLION_LAYERS})")
    endif()
    foreach(dep IN LISTS L_PUBLIC L_PRIVATE)
        if(NOT dep MATCHES "^trellion_")
            continue()
        endif()
        if(NOT TARGET ${dep})
            message(FATAL_ERROR "${name} uses ${dep}, which is not a library of a layer below")
        endif()
        get_target_property(dep_layer ${dep} TRELLION_LAYER)
        if(NOT dep_layer LESS layer)
            list(GET TRELLION_LAYERS ${dep_layer} dep_layer_name)
            message(FATAL_ERROR "${name} (layer ${L_LAYER}) may not use ${dep} "
                                "(layer ${dep_layer_name}): only layers below its own")
        endif()
    endforeach()
    # The headers are listed too, for moc: it looks for a source's header only beside it.
    file(GLOB headers CONFIGURE_DEPENDS ${CMAKE_CURRENT_SOURCE_DIR}/include/*/*.h)
    add_library(${name} STATIC ${L_SOURCES} ${headers})
    set_target_properties(${name} PROPERTIES TRELLION_LAYER ${layer})
    target_include_directories(${name} PUBLIC ${CMAKE_CURRENT_SOURCE_DIR}/include)
    target_link_libraries(${name} PUBLIC ${L_PUBLIC} PRIVATE ${L_PRIVATE})
endfunction()
