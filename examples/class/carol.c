#include <stdio.h>

#define MAX 100

/* 老师提供：读入成绩，以 -1 结束，返回人数 */
int read_scores(int scores[], int max)
{
    int n = 0, x;
    while (n < max && scanf("%d", &x) == 1 && x != -1) {
        scores[n] = x;
        n = n + 1;
    }
    return n;
}

int main()
{
    int scores[MAX];
    int n = read_scores(scores, MAX);
    int total = 0;
    int best = -1, worst = 101;
    int pass = 0;
    int a = 0, b = 0, c = 0, d = 0, f = 0;
    int i = 0;

    while (i < n) {
        int s = scores[i];
        total = total + s;
        if (s > best) best = s;
        if (s < worst) worst = s;
        if (s >= 60) pass = pass + 1;
        if (s >= 90) a = a + 1;
        else if (s >= 80) b = b + 1;
        else if (s >= 70) c = c + 1;
        else if (s >= 60) d = d + 1;
        else f = f + 1;
        i = i + 1;
    }
    if (n > 0) {
        printf("N=%d avg=%f\n", n, total * 1.0 / n);
        printf("best=%d worst=%d pass=%d\n", best, worst, pass);
        printf("A %d B %d C %d D %d F %d\n", a, b, c, d, f);
    } else {
        printf("empty\n");
    }
    return 0;
}
