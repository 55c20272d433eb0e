#include "update/file_list.h"

#include "platform/paths.h"

const UpdateFileEntry UpdateFileList[UpdateFileCount] = {
    {"tactico.exe", "\\"},
    {"euro.cfg", "\\data\\"},
    {"events_eng.cfg", "\\data\\"},
    {"events_fra.cfg", "\\data\\"},
    {"events_ita.cfg", "\\data\\"},
    {"events_por.cfg", "\\data\\"},
    {"events_nor.cfg", "\\data\\"},
    {"events_spa.cfg", "\\data\\"},
    {"events_swe.cfg", "\\data\\"},
    {"events_ned.cfg", "\\data\\"},
    {"pics.cfg", "\\pictures\\"},
    {"player_setup.cfg", "\\data\\"},
    {"weather.cfg", "\\data\\"},
    {"city.dat", "\\data\\"},
    {"club.dat", "\\data\\"},
    {"club_comp.dat", "\\data\\"},
    {"club_comp_history.dat", "\\data\\"},
    {"colour.dat", "\\data\\"},
    {"common_names.dat", "\\data\\"},
    {"continent.dat", "\\data\\"},
    {"first_names.dat", "\\data\\"},
    {"index.dat", "\\data\\"},
    {"nat_club.dat", "\\data\\"},
    {"nation.dat", "\\data\\"},
    {"nation_comp.dat", "\\data\\"},
    {"nation_comp_history.dat", "\\data\\"},
    {"officials.dat", "\\data\\"},
    {"second_names.dat", "\\data\\"},
    {"stadium.dat", "\\data\\"},
    {"staff.dat", "\\data\\"},
    {"staff_comp.dat", "\\data\\"},
    {"staff_comp_history.dat", "\\data\\"},
    {"staff_history.dat", "\\data\\"},
    {"eng.lng", "\\data\\"},
    {"esp.lng", "\\data\\"},
    {"fra.lng", "\\data\\"},
    {"ita.lng", "\\data\\"},
    {"nor.lng", "\\data\\"},
    {"por.lng", "\\data\\"},
    {"swe.lng", "\\data\\"},
    {"hol.lng", "\\data\\"},
    {"language.ldb", "\\data\\"},
    {"readme.txt", "\\"},
    {"changes.txt", "\\"},
    {"fancluburls.txt", "\\data\\"},
    {"default_pic.rgn", "\\data\\"},
    {"pundit.cfg", "\\data\\"},
};

bool isReadmeEntry(int index) {
    return index >= 0 && index < UpdateFileCount &&
           equalsIgnoreCase(UpdateFileList[index].name, "readme.txt");
}
