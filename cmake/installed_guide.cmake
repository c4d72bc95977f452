# Writes the guide as it is installed. In the source tree the guide is docs/guide.md and links to
# its examples as ../examples/; installed, the examples lie beside it, in examples/.
# Usage: cmake -DGUIDE=docs/guide.md -DOUTPUT=FILE -P installed_guide.cmake
file(READ "${GUIDE}" text)
string(REPLACE "](../examples/" "](examples/" text "${text}")
file(WRITE "${OUTPUT}" "${text}")
