# Writes the hosted page and its service worker into FOLDER: index.html is the one-file page (PAGE)
# with its manifest and icons linked where the one-file page links none; the service worker's
# cache is named for VERSION and the page's own hash, so that any new page replaces the old copy.
file(READ "${PAGE}" page)
set(one_file_icon "<link rel=\"icon\" href=\"data:,\">")
string(FIND "${page}" "${one_file_icon}" at)
if(at EQUAL -1)
  message(FATAL_ERROR "${PAGE} has no ${one_file_icon} to replace")
endif()
string(REPLACE "${one_file_icon}" "<link rel=\"manifest\" href=\"manifest.webmanifest\">
<link rel=\"icon\" href=\"favicon.ico\" sizes=\"32x32\">
<link rel=\"apple-touch-icon\" href=\"apple-touch-icon.png\">" page "${page}")
file(WRITE "${FOLDER}/index.html" "${page}")

string(SHA256 page_hash "${page}")
string(SUBSTRING "${page_hash}" 0 12 page_hash)
set(TRENOX_CACHE_NAME "trenoxvk-${VERSION}-${page_hash}")
configure_file("${SERVICE_WORKER}" "${FOLDER}/service_worker.js" @ONLY)
