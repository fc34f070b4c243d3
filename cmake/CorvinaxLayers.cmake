# The core's folders as layers: each folder is a static library, corvinax_<folder>, that links the
# folder right below it and so uses everything below, never above. A folder's headers are reached
# as "<folder>/name.h" through an include root of its own in the build tree, which holds a link to
# that folder alone: a target sees a folder's headers only by linking its library, so an include
# that climbs does not compile.
set(CORVINAX_LAYERS platform profile reports findings settings output check app)

function(corvinax_layer name)
    list(FIND CORVINAX_LAYERS ${name} position)
    if(position LESS 0)
        message(FATAL_ERROR "${name} is not a layer: add it to CORVINAX_LAYERS in its place")
    endif()
    set(root ${PROJECT_BINARY_DIR}/layers/${name})
    file(MAKE_DIRECTORY ${root})
    file(CREATE_LINK ${PROJECT_SOURCE_DIR}/${name} ${root}/${name} SYMBOLIC)
    add_library(corvinax_${name} STATIC ${ARGN})
    target_include_directories(corvinax_${name} PUBLIC ${root})
    # The core's texts are code page 1251 bytes.
    target_link_libraries(corvinax_${name} PUBLIC corvinax_options PRIVATE corvinax_cp1251)
    if(position GREATER 0)
        math(EXPR below "${position} - 1")
        list(GET CORVINAX_LAYERS ${below} lower)
        target_link_libraries(corvinax_${name} PUBLIC corvinax_${lower})
    endif()
endfunction()
