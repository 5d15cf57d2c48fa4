#include "map/engine/MapNames.h"

#include <cstdint>

namespace {

struct CControllerName {
    uint8_t number;
    const char* name;
};

const CControllerName kControllerNames[] = {
    {0, "Bank select"},          {1, "Modulation"},          {2, "Breath controller"},
    {4, "Foot controller"},      {5, "Portamento time"},     {6, "Data entry"},
    {7, "Volume"},               {8, "Balance"},             {10, "Pan"},
    {11, "Expression"},          {12, "Effect control 1"},   {13, "Effect control 2"},
    {16, "General purpose 1"},   {17, "General purpose 2"},  {18, "General purpose 3"},
    {19, "General purpose 4"},   {32, "Bank select LSB"},    {33, "Modulation LSB"},
    {34, "Breath LSB"},          {36, "Foot controller LSB"}, {37, "Portamento time LSB"},
    {38, "Data entry LSB"},      {39, "Volume LSB"},         {40, "Balance LSB"},
    {42, "Pan LSB"},             {43, "Expression LSB"},     {64, "Sustain pedal"},
    {65, "Portamento"},          {66, "Sostenuto"},          {67, "Soft pedal"},
    {68, "Legato footswitch"},   {69, "Hold 2"},             {70, "Sound variation"},
    {71, "Resonance"},           {72, "Release time"},       {73, "Attack time"},
    {74, "Brightness"},          {75, "Decay time"},         {76, "Vibrato rate"},
    {77, "Vibrato depth"},       {78, "Vibrato delay"},      {80, "General purpose 5"},
    {81, "General purpose 6"},   {82, "General purpose 7"},  {83, "General purpose 8"},
    {84, "Portamento control"},  {91, "Reverb"},             {92, "Tremolo"},
    {93, "Chorus"},              {94, "Detune"},             {95, "Phaser"},
    {96, "Data increment"},      {97, "Data decrement"},     {98, "NRPN LSB"},
    {99, "NRPN MSB"},            {100, "RPN LSB"},           {101, "RPN MSB"},
    {120, "All sound off"},      {121, "Reset all controllers"}, {122, "Local control"},
    {123, "All notes off"},      {124, "Omni off"},          {125, "Omni on"},
    {126, "Mono on"},            {127, "Poly on"},
};

}  // namespace

const char* MapControllerName(int controller) {
    for (const CControllerName& known : kControllerNames)
        if (known.number == controller) return known.name;
    return nullptr;
}
