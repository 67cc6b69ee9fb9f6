// On board types 1 and 2 the SAA7110 is the board's video path: its input switch
// picks the connector whose fields the board sees, and its status follows the
// camera there.
#pragma once

namespace sim {

class Kt650VideoInputs;
class Saa7110Model;

// Connects the decoder to the board's inputs; both outlive the connection.
void ConnectSaa7110Inputs(Saa7110Model& saa, Kt650VideoInputs& inputs);

}  // namespace sim
