#pragma once

#define IDI_QUORVEL 1
