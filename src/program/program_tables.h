#pragma once

namespace klv {

// Per channel slot: the step program and its attributes.
struct ProgramTables {
};

}  // namespace klv
