# The lab page: `npm ci` from the committed lock into build/web, esbuild bundles web/src (uPlot
# included) into build/web/dist, and embed_files.cmake turns the result into a C++ source.
# Sets KLV_WEB_ASSETS_CPP to that source and KLV_WEB_NODE_MODULES for the browser tests.
find_program(KLV_NPM npm REQUIRED)
find_program(KLV_NODE node REQUIRED)

set(web_src ${CMAKE_SOURCE_DIR}/web)
set(web_build ${CMAKE_BINARY_DIR}/web)
set(KLV_WEB_NODE_MODULES ${web_build}/node_modules)
set(web_stamp ${web_build}/npm-ci.stamp)
add_custom_command(
  OUTPUT ${web_stamp}
  COMMAND ${CMAKE_COMMAND} -E make_directory ${web_build}
  COMMAND ${CMAKE_COMMAND} -E copy ${web_src}/package.json ${web_src}/package-lock.json ${web_build}/
  COMMAND ${CMAKE_COMMAND} -E chdir ${web_build} ${KLV_NPM} ci --no-audit --no-fund --loglevel=error
  COMMAND ${CMAKE_COMMAND} -E touch ${web_stamp}
  DEPENDS ${web_src}/package.json ${web_src}/package-lock.json
  COMMENT "npm ci for the lab page"
  VERBATIM)

file(GLOB web_page_sources CONFIGURE_DEPENDS ${web_src}/src/*)
set(web_dist_names index.html tests.html test.html compare.html login.html icon.svg lab.css test.css compare.css
    overview.js list.js test.js compare.js)
list(TRANSFORM web_dist_names PREPEND ${web_build}/dist/ OUTPUT_VARIABLE web_dist)
add_custom_command(
  OUTPUT ${web_dist}
  COMMAND ${CMAKE_COMMAND} -E copy ${web_src}/build.mjs ${web_build}/
  COMMAND ${KLV_NODE} ${web_build}/build.mjs ${web_src}/src ${web_build}/dist
  DEPENDS ${web_stamp} ${web_src}/build.mjs ${web_page_sources}
  COMMENT "Bundling the lab page"
  VERBATIM)

set(KLV_WEB_ASSETS_CPP ${CMAKE_BINARY_DIR}/generated/web_assets_data.cpp)
list(JOIN web_dist "|" web_dist_arg)
add_custom_command(
  OUTPUT ${KLV_WEB_ASSETS_CPP}
  COMMAND ${CMAKE_COMMAND} -DOUT=${KLV_WEB_ASSETS_CPP} -DFILES=${web_dist_arg} -P ${CMAKE_SOURCE_DIR}/cmake/embed_files.cmake
  DEPENDS ${web_dist} ${CMAKE_SOURCE_DIR}/cmake/embed_files.cmake
  COMMENT "Embedding the lab page"
  VERBATIM)
