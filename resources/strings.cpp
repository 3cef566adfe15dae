#include "resources/strings.h"

#include <algorithm>
#include <array>

namespace torv {
namespace {

struct Entry {
    int number;
    std::string_view text;
};

// Sorted by number.
constexpr std::array kStringTable{
    Entry{130, "Agree to Exit?"},
    Entry{131, "Failed to write a setup file."},
    Entry{132, "No communication response."},
    Entry{133, "Recieved an invalid communication response."},
    Entry{134, "Error in checking sum of communication."},
    Entry{135, "Found same filename. Do you overwrite?"},
    Entry{136, "Failed to create the file."},
    Entry{137, "Reading Bank parameters"},
    Entry{138, "Reading Common parameters"},
    Entry{139, "Aborted."},
    Entry{140, "Reading from TORV is completed."},
    Entry{141, "Writing to TORV is completed."},
    Entry{142, "Faild to open COM port."},
    Entry{143, "Baud rate setting is invalid."},
    Entry{144, "Agree to overwrite TORV setting?"},
    Entry{145, "The parameters file is not found."},
    Entry{146, "The expansion dictionary data file is invalid."},
    Entry{147, "The character code of expansion dictionary is \"?\". Do you go ahead with writing?"},
    Entry{148, "Writing Common parameters"},
    Entry{149, "Writing Bank parameters"},
    Entry{150, "The parameters file is invalid."},
    Entry{151, "No recognized character."},
    Entry{152, "Found same filename of an expansion dictionary file. Do you agree to append data?"},
    Entry{153, "Reading recognized characters (Number of character = "},
    Entry{154, " )"},
    Entry{155, "Reading recognized characters from TORV is completed."},
    Entry{156, "Overwrite to the expansion dictionary of TORV. Do you agree?"},
    Entry{157, "Writing the expansion dictionary to TORV is completed."},
    Entry{158, "The number of character to save the expansion dictionary file is 0."},
    Entry{159, "Do you overwrite to the enpansion dictionary file?"},
    Entry{160, "Writing Expansion dictionary"},
    Entry{161, "Quit and Discard the edited expansion dictionary data. Do you agree?"},
    Entry{162, "Delete current dictionary data. Do you agree?"},
    Entry{163, "Final dictionary data will be deleted. Do you agree?"},
    Entry{165, "The expansion dictionary file is not found. Create a new data."},
    Entry{173, "Reading the NG data with image from TORV is completed."},
    Entry{174, "Reading NG data"},
    Entry{175, "The NG data you have selected no longer exists."},
    Entry{176, "The NG data file is not found."},
    Entry{177, "The parameters file is not found. Create an initial data."},
    Entry{178, "Overwrite to the destination bank number parameters. Do you agree?"},
    Entry{179, "The destination bank is the same number as source bank."},
    Entry{180, "Please select destination bank number."},
    Entry{181, "Quit and Discard the edited parameters. Do you agree?"},
    Entry{184, "Set the current time to the TORV built-in calendar. Do you agree?"},
    Entry{185, "Set the TORV built-in calendar"},
    Entry{187,
          "Parameter,Common,Bank0,Bank1,Bank2,Bank3,Bank4,Bank5,Bank6,Bank7,Bank8,Bank9,Bank10,Bank11,Bank12,"
          "Bank13,Bank14,Bank15"},
    Entry{188, "Writing CSV file is completed."},
    Entry{189, "Reading all NG data from TORV is completed."},
    Entry{190, "Setting the current time to TORV bulit-in calendar is completed."},
    Entry{191, "NG data number"},
    Entry{192, "Number of character"},
    Entry{193, "Bank number"},
    Entry{194, "Saved date/time"},
    Entry{195, "Format nothing"},
    Entry{196, "is not found"},
    Entry{197, "Upper limit"},
    Entry{198, "Lower limit"},
    Entry{199, "Best character"},
    Entry{200, "Numerical character"},
    Entry{201, "Numerical difference"},
    Entry{202, "Alphabetic character"},
    Entry{203, "Alphabetic difference"},
    Entry{204, "Block data of recognized character"},
    Entry{206, "Reading characters in NG data is completed. (No. of character = "},
    Entry{207, "Please specify file name."},
    Entry{208, "Character number"},
    Entry{209, "Bank number"},
    Entry{210, "Saved date/time"},
    Entry{211, "Format nothing."},
    Entry{212, "nothing."},
    Entry{213, "upper limit"},
    Entry{214, "lower limit"},
    Entry{215, "Gap[N,A]"},
    Entry{216, "Dictionary[N,A]"},
    Entry{217, "Numerical dictionary number"},
    Entry{218, "Alphabetic dictionary number"},
    Entry{219, "EDIT"},
    Entry{222, "There is no expansion dictionary data in TORV."},
    Entry{223, "Reading expansion dictionary"},
    Entry{224, "Reading expansion dictionary data from TORV is completed."},
    Entry{300, "This operation is not available in this version."},
    Entry{301, "Type a file name in the Filename field, or choose one with Ref."},
};

static_assert(std::ranges::is_sorted(kStringTable, {}, &Entry::number));

}  // namespace

std::string_view Text(int number) {
    const auto* it = std::ranges::lower_bound(kStringTable, number, {}, &Entry::number);
    if (it == kStringTable.end() || it->number != number) {
        return {};
    }
    return it->text;
}

int NumberOfText(std::string_view text) {
    const auto* it = std::ranges::find(kStringTable, text, &Entry::text);
    return it == kStringTable.end() ? 0 : it->number;
}

std::string_view Text(StringId id) {
    return Text(static_cast<int>(id));
}

}  // namespace torv
